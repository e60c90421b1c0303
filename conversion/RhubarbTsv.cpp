#include "conversion/RhubarbTsv.h"

#include "conversion/TextPlaces.h"
#include "conversion/TimingReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace mouthkey {

namespace rhubarb {

std::size_t decimalLength(std::string_view text) {
    const auto digits = [&](std::size_t from) {
        std::size_t at = from;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            ++at;
        }
        return at;
    };
    const std::size_t whole = digits(0);
    if (whole == 0 || whole == text.size() || text[whole] != '.') {
        return whole;
    }
    const std::size_t fraction = digits(whole + 1);
    return fraction == whole + 1 ? 0 : fraction;
}

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

std::optional<double> readTime(ReaderFindings& findings, std::optional<double> seconds,
                               std::string_view written, CuePlace place) {
    if (!seconds) {
        findings.add(Finding::Kind::TimeNotANumber, place, quotedText(written));
    } else if (*seconds < 0) {
        findings.add(Finding::Kind::NegativeTime, place, quotedText(written));
        return std::nullopt;
    }
    return seconds;
}

bool readShape(ReaderFindings& findings, std::string_view name, CuePlace place) {
    if (name.empty()) {
        findings.add(Finding::Kind::UnreadableLine, place, "a mouth cue without a shape");
        return false;
    }
    if (!fitsDatLine(name)) {
        findings.add(Finding::Kind::UnreadableLine, place,
                     "mouth shape " + quotedText(name) + " holds spaces or line breaks");
        return false;
    }
    return true;
}

} // namespace rhubarb

Take readRhubarbTsv(std::string_view text) {
    Take take;
    take.letters = true;
    ReaderFindings findings;
    // Lines are cut and numbered as the checks cut and number them.
    TimingReader reader([&](const TimingLine& read) {
        const std::uint64_t number = read.number;
        const std::string_view line = read.text;
        const std::size_t tab = line.find('\t');
        const std::size_t extra = tab == std::string_view::npos ? tab : line.find('\t', tab + 1);
        if (tab == std::string_view::npos || extra != std::string_view::npos) {
            const std::uint64_t column =
                tab == std::string_view::npos ? 0 : 1 + charactersIn(line.substr(0, extra));
            findings.add(Finding::Kind::UnreadableLine, {number, column},
                         quotedText(line) + " is not a time and a mouth shape between a tab");
            return;
        }
        const std::string_view time = line.substr(0, tab);
        const std::string_view shape = line.substr(tab + 1);
        const CuePlace shapePlace{number, 2 + charactersIn(time)};
        const auto seconds =
            rhubarb::readTime(findings, rhubarb::secondsIn(time), time, {number, 1});
        if (seconds && rhubarb::readShape(findings, shape, shapePlace)) {
            take.timed.push_back({*seconds, std::string(shape), shapePlace});
        }
    });
    reader.feed(text);
    reader.finish();
    take.findings = findings.take();
    return take;
}

} // namespace mouthkey
