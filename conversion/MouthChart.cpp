#include "conversion/MouthChart.h"

#include "conversion/MappingTables.h"
#include "conversion/PopupChoice.h"
#include "conversion/Take.h"
#include "conversion/TimingReader.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace mouthkey {

namespace {

double numberOf(std::string_view text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// A chart's lines are names between spaces or tabs.
std::vector<std::string> namesIn(std::string_view line) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(" \t", at)) != std::string_view::npos) {
        const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
        names.emplace_back(line.substr(at, end - at));
        at = end;
    }
    return names;
}

// The header block every copied keyframe text opens with, up to the property:
} // namespace

MouthChart::MouthChart(std::vector<std::vector<std::string>> drawings)
    : m_drawings(std::move(drawings)) {}

MouthChart MouthChart::ofSet(int setIndex) {
    const PhonemeSet& set = phonemeSets[choiceRow(setIndex, phonemeSets.size())];
    std::vector<double> xs;
    for (const std::string_view x : set.x) {
        xs.push_back(numberOf(x));
    }
    std::vector<double> distinct = xs;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<std::vector<std::string>> drawings(distinct.size());
    for (std::size_t key = 0; key < phonemeKeys.size(); ++key) {
        const auto row = std::lower_bound(distinct.begin(), distinct.end(), xs[key]);
        drawings[static_cast<std::size_t>(row - distinct.begin())].emplace_back(phonemeKeys[key]);
    }
    return MouthChart(std::move(drawings));
}

std::optional<std::size_t> MouthChart::drawingOf(std::string_view name, bool letters) const {
    const auto listed = [this](std::string_view wanted) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < m_drawings.size(); ++i) {
            const auto& names = m_drawings[i];
            if (std::find(names.begin(), names.end(), wanted) != names.end()) {
                return i;
            }
        }
        return std::nullopt;
    };
    // The key the converter reads the name as: a letter's chart name with
    // letters, and "K" for the KELVIN SIGN.
    const int key = letters ? MappingTable::letterKeyIndex(name) : MappingTable::keyIndex(name);
    const std::string_view reading = key < 0 ? name : phonemeKeys[static_cast<std::size_t>(key)];
    // D and E are phoneme names as well as letters: with letters the
    // converter reads them as AI and O, so their drawings are those first.
    const bool readingFirst = letters && MappingTable::keyIndex(name) >= 0;
    auto drawing = listed(readingFirst ? reading : name);
    if (!drawing && reading != name) {
        drawing = listed(readingFirst ? name : reading);
    }
    return drawing;
}

std::string MouthChart::text() const {
    std::string text = "# Mouth chart: one line a drawing, in the precomp's frame order from "
                       "drawing 0, each listing the names it shows\n";
    for (const auto& names : m_drawings) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            text.append(i ? " " : "").append(names[i]);
        }
        text.append("\n");
    }
    return text;
}

ChartReading readMouthChart(std::string_view text) {
    std::vector<std::vector<std::string>> drawings;
    ReaderFindings findings;
    std::vector<std::string> seen;
    // Lines are cut and numbered as the checks cut and number them.
    TimingReader reader([&](const TimingLine& line) {
        std::vector<std::string> names = namesIn(line.text.substr(0, line.text.find('#')));
        if (names.empty()) {
            return;
        }
        bool listedAgain = false;
        for (const std::string& name : names) {
            if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
                if (!std::exchange(listedAgain, true)) {
                    findings.add(Finding::Kind::UnreadableLine, {line.number, 0}, [&] {
                        return quotedText(name) + " is listed for an earlier drawing";
                    });
                }
            } else {
                seen.push_back(name);
            }
        }
        drawings.push_back(std::move(names));
    });
    reader.feed(text);
    reader.finish();
    ChartReading reading;
    if (drawings.empty()) {
        findings.add(Finding::Kind::EmptyChart, {}, "");
    } else {
        reading.chart = MouthChart(std::move(drawings));
    }
    reading.findings = findings.take();
    if (!reading.chart) {
        // A chart with no drawing has nothing else worth saying.
        std::erase_if(reading.findings,
                      [](const Finding& f) { return f.kind != Finding::Kind::EmptyChart; });
        reading.findings.front().lines = {};
    }
    return reading;
}

} // namespace mouthkey
