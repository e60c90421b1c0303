// The registry of targets: one row each.
#include "conversion/DocumentTarget.h"

#include "TargetFactories.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace mouthkey {

namespace {

constexpr std::array<TargetRow, 3> rows{{
    {Target::Position, "position", "Position", false, false, makePositionTarget},
    {Target::TimeRemap, "time-remap", "Time Remap", true, true, makeTimeRemapTarget},
    {Target::SliderControl, "slider", "Slider Control", true, true, makeSliderControlTarget},
}};

constexpr bool inTheOrderOfTargets() {
    if (rows.size() != targets.size()) {
        return false;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].target != targets[i]) {
            return false;
        }
    }
    return true;
}
static_assert(inTheOrderOfTargets());

} // namespace

std::span<const TargetRow> targetRows() {
    return rows;
}

const TargetRow& targetRow(Target target) {
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [target](const TargetRow& r) { return r.target == target; });
    return row == rows.end() ? rows[0] : *row;
}

std::string_view targetName(Target target) {
    return targetRow(target).name;
}

std::string_view targetTitle(Target target) {
    return targetRow(target).title;
}

std::optional<Target> targetNamed(std::string_view name) {
    for (const TargetRow& row : rows) {
        if (row.name == name) {
            return row.target;
        }
    }
    return std::nullopt;
}

bool holdsByDefault(Target target) {
    return targetRow(target).holdsByDefault;
}

bool usesChart(Target target) {
    return targetRow(target).usesChart;
}

MouthChart TargetChoices::chartInUse() const {
    return chart ? *chart : MouthChart::ofSet(setIndex);
}

std::string keyNumberText(double value) {
    char digits[400];
    char* const end = digits + sizeof digits;
    auto written = std::to_chars(digits, end, value, std::chars_format::general, 6).ptr;
    std::string_view text(digits, static_cast<std::size_t>(written - digits));
    if (text.find('e') != std::string_view::npos) {
        // Six significant digits without an exponent: as many decimals as
        // that takes, then no trailing zeros.
        int exponent = 0;
        const auto e = text.find('e') + 1;
        std::from_chars(text.data() + e + (text[e] == '+' ? 1 : 0), text.data() + text.size(),
                        exponent);
        written =
            std::to_chars(digits, end, value, std::chars_format::fixed, std::max(0, 5 - exponent))
                .ptr;
        text = std::string_view(digits, static_cast<std::size_t>(written - digits));
        if (text.find('.') != std::string_view::npos) {
            text = text.substr(0, text.find_last_not_of('0') + 1);
            if (text.ends_with('.')) {
                text.remove_suffix(1);
            }
        }
    }
    return text == "-0" ? "0" : std::string(text);
}

} // namespace mouthkey
