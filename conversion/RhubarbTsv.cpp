#include "conversion/RhubarbTsv.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace mouthkey {

namespace rhubarb {

namespace {

std::string quoted(std::string_view text) {
    return shownText(text, 40, "'");
}

// Characters, not bytes, as an editor counts a column.
std::uint64_t charactersIn(std::string_view text) {
    return static_cast<std::uint64_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace

std::optional<double> secondsIn(std::string_view text) {
    double seconds = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds)) {
        return std::nullopt;
    }
    return seconds;
}

bool fitsDatLine(std::string_view name) {
    // The converter's token and line separators, tabs among them.
    for (const std::string_view cut :
         {" ", "\t", "\n", "\v", "\f", "\r", "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"}) {
        if (name.find(cut) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

void ReaderFindings::add(Finding::Kind kind, CuePlace place, std::string_view subject) {
    auto finding = std::find_if(m_findings.begin(), m_findings.end(),
                                [kind](const Finding& f) { return f.kind == kind; });
    if (finding == m_findings.end()) {
        finding = m_findings.insert(
            m_findings.end(),
            {kind, {}, std::string(subject), Finding::Hint::None, {}, {}, place.column});
    }
    finding->lines.add(place.line);
}

std::optional<double> ReaderFindings::time(std::optional<double> seconds, std::string_view written,
                                           CuePlace place) {
    if (!seconds) {
        add(Finding::Kind::TimeNotANumber, place, quoted(written));
    } else if (*seconds < 0) {
        add(Finding::Kind::NegativeTime, place, quoted(written));
        return std::nullopt;
    }
    return seconds;
}

bool ReaderFindings::name(std::string_view name, CuePlace place) {
    if (name.empty()) {
        add(Finding::Kind::UnreadableLine, place, "a mouth cue without a shape");
        return false;
    }
    if (!fitsDatLine(name)) {
        add(Finding::Kind::UnreadableLine, place,
            "mouth shape " + quoted(name) + " holds spaces or line breaks");
        return false;
    }
    return true;
}

std::vector<Finding> ReaderFindings::take() const {
    std::vector<Finding> findings = m_findings;
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.kind < b.kind; });
    return findings;
}

} // namespace rhubarb

Take readRhubarbTsv(std::string_view text) {
    Take take;
    take.letters = true;
    rhubarb::ReaderFindings findings;
    std::uint64_t number = 0;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        ++number;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        const std::size_t tab = line.find('\t');
        const std::size_t extra = tab == std::string_view::npos ? tab : line.find('\t', tab + 1);
        if (tab == std::string_view::npos || extra != std::string_view::npos) {
            const std::uint64_t column = tab == std::string_view::npos
                                             ? 0
                                             : 1 + rhubarb::charactersIn(line.substr(0, extra));
            findings.add(Finding::Kind::UnreadableLine, {number, column},
                         rhubarb::quoted(line) + " is not a time and a mouth shape between a tab");
            continue;
        }
        const std::string_view time = line.substr(0, tab);
        const std::string_view shape = line.substr(tab + 1);
        const CuePlace shapePlace{number, 2 + rhubarb::charactersIn(time)};
        const auto seconds = findings.time(rhubarb::secondsIn(time), time, {number, 1});
        if (seconds && findings.name(shape, shapePlace)) {
            take.timed.push_back({*seconds, std::string(shape), shapePlace});
        }
    }
    take.findings = findings.take();
    return take;
}

} // namespace mouthkey
