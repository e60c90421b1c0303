#include "conversion/TimingWriting.h"

#include "conversion/RhubarbTsv.h"
#include "conversion/TimingReader.h"

#include "DatLines.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace mouthkey {

namespace {

constexpr std::string_view defaultHeader = "MohoSwitch1";

std::string_view lineEnd(const TimingTextStyle& style) {
    return style.crlf ? "\r\n" : "\n";
}

// `digits` as a decimal with `decimals` digits after the point: 5, 2 gives "0.05".
std::string decimalText(std::uint64_t digits, int decimals) {
    std::string text = std::to_string(digits);
    const auto point = static_cast<std::size_t>(decimals);
    if (text.size() <= point) {
        text.insert(0, point + 1 - text.size(), '0');
    }
    text.insert(text.size() - point, 1, '.');
    return text;
}

// Whether the readers put a time written so on the frame: read as they read
// it, and landed as they land it.
bool landsOn(std::string_view text, std::uint64_t frame, double framesPerSecond) {
    const std::optional<double> seconds = rhubarb::secondsIn(text);
    return seconds && frameAtSeconds(*seconds, framesPerSecond) == frame;
}

// Past this many digits a double no longer holds every whole number.
constexpr double exactDigits = 9.0e15;

} // namespace

std::string secondsText(std::uint64_t frame, double framesPerSecond) {
    if (frame <= 1) {
        return "0.0";
    }
    const double start = static_cast<double>(frame - 1) / framesPerSecond;
    double scale = 1;
    for (int decimals = 1; decimals <= 17; ++decimals) {
        scale *= 10;
        const double below = std::floor(start * scale);
        if (below + 2 >= exactDigits) {
            break;
        }
        // The frame's start rounded down, and the few decimals above it: the
        // division and the readers' product each round, so the smallest
        // decimal that lands on the frame may lie on either side of it.
        const auto first = static_cast<std::uint64_t>(below);
        for (std::uint64_t digits = first == 0 ? 0 : first - 1; digits <= first + 2; ++digits) {
            std::string text = decimalText(digits, decimals);
            if (landsOn(text, frame, framesPerSecond)) {
                return text;
            }
        }
    }
    // A time too large for whole digits: the double nearest the frame's start
    // that lands on it, in the fewest digits that read back as that double.
    double seconds = start;
    for (int step = 0; step < 64 && frameAtSeconds(seconds, framesPerSecond) < frame; ++step) {
        seconds = std::nextafter(seconds, INFINITY);
    }
    for (int step = 0; step < 64 && frameAtSeconds(seconds, framesPerSecond) > frame; ++step) {
        seconds = std::nextafter(seconds, 0.0);
    }
    char text[400];
    const auto end = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed).ptr;
    std::string written(text, end);
    if (written.find('.') == std::string::npos) {
        written += ".0";
    }
    return written;
}

TimingTextStyle styleOfText(std::string_view text) {
    TimingTextStyle style;
    const std::size_t lf = text.find('\n');
    style.crlf = lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r';
    // The header as the readers find it, read a piece at a time until it is.
    std::optional<std::string> header;
    TimingReader reader([&](const TimingLine& line) {
        if (line.header && !header) {
            header = std::string(line.text);
        }
    });
    constexpr std::size_t piece = 4096;
    for (std::size_t at = 0; at < text.size() && !header; at += piece) {
        reader.feed(text.substr(at, piece));
    }
    if (!header) {
        reader.finish();
    }
    if (header) {
        style.header = std::move(*header);
    }
    return style;
}

TimingTextStyle styleOfText(std::string_view text, const TimingFormat& format) {
    TimingTextStyle style = styleOfText(text);
    if (format.write != &datTimingText) {
        style.header = TimingTextStyle{}.header; // its first line is a cue's
    }
    return style;
}

std::string datTimingText(std::span<const Cue> cues, const TimingTextStyle& style) {
    const std::string_view header = style.header;
    const bool oneLine = !header.empty() && header.find('\n') == std::string_view::npos &&
                         !datlines::endsLinesOtherwise(header);
    const std::string_view end = lineEnd(style);
    std::string text;
    text.reserve(header.size() + cues.size() * 12);
    text.append(oneLine ? header : defaultHeader).append(end);
    for (const Cue& cue : cues) {
        text.append(std::to_string(cue.frame)).append(" ").append(cue.name).append(end);
    }
    return text;
}

std::string tsvTimingText(std::span<const Cue> cues, const TimingTextStyle& style) {
    const std::string_view end = lineEnd(style);
    std::string text;
    text.reserve(cues.size() * 12);
    for (const Cue& cue : cues) {
        text.append(secondsText(cue.frame, style.framesPerSecond))
            .append("\t")
            .append(cue.name)
            .append(end);
    }
    return text;
}

std::string labelTrackText(std::span<const Cue> cues, const TimingTextStyle& style) {
    const std::string_view end = lineEnd(style);
    std::string text;
    text.reserve(cues.size() * 20);
    std::string start;
    std::string next =
        cues.empty() ? std::string() : secondsText(cues[0].frame, style.framesPerSecond);
    for (std::size_t i = 0; i < cues.size(); ++i) {
        start = std::move(next);
        const bool later = i + 1 < cues.size() && cues[i + 1].frame > cues[i].frame;
        next = i + 1 < cues.size() ? secondsText(cues[i + 1].frame, style.framesPerSecond)
                                   : std::string();
        // A region may not end before it starts: a cue that the next one
        // does not follow is a point label.
        const std::string& until = later ? next : start;
        text.append(start).append("\t").append(until).append("\t").append(cues[i].name).append(end);
    }
    return text;
}

} // namespace mouthkey
