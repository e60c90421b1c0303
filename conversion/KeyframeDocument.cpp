#include "conversion/KeyframeDocument.h"

#include "conversion/PopupChoice.h"

#include <algorithm>

namespace mouthkey {

std::string_view frameRateTitle(int rateIndex) {
    return frameRateTitles[choiceRow(rateIndex, frameRateTitles.size())];
}

std::string rateLine(int rateIndex) {
    return rateLine(FrameRate(rateIndex));
}

FrameRate::FrameRate(int rateIndex) : m_title(frameRateTitle(rateIndex)) {}

FrameRate::FrameRate(std::string title) : m_title(std::move(title)) {}

std::optional<FrameRate> FrameRate::fromText(std::string_view text) {
    const auto isDigits = [](std::string_view s) {
        return !s.empty() &&
               std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const std::size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (!isDigits(whole) || (point != std::string_view::npos && !isDigits(fraction))) {
        return std::nullopt;
    }
    whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
    fraction = fraction.substr(0, fraction.find_last_not_of('0') + 1); // npos + 1 is 0
    // Decided on the digits, so that no rounding lets 1000.0000001 in.
    const bool inRange =
        !whole.empty() && (whole.size() < 4 || (whole == "1000" && fraction.empty()));
    if (!inRange) {
        return std::nullopt;
    }

    // Every title is written in its shortest form, so a number a title
    // writes comes out as that title.
    std::string title(whole);
    if (!fraction.empty()) {
        title.append(".").append(fraction);
    }
    return FrameRate(std::move(title));
}

std::string rateLine(const FrameRate& rate) {
    return std::string("\tUnits Per Second\t").append(rate.title());
}

std::string assembleDocument(std::string_view headertop, std::string_view fpsheader,
                             std::string_view headerbottom, std::string_view newdatout,
                             std::string_view footer) {
    std::string document;
    assembleDocument(document, headertop, fpsheader, headerbottom, newdatout, footer);
    return document;
}

std::string documentHead(std::string_view fpsheader) {
    std::string head;
    head.append(headertop).append("\n").append(fpsheader).append("\n").append(headerbottom);
    return head.append("\n");
}

std::string documentTail() {
    return std::string("\n").append(footer);
}

} // namespace mouthkey
