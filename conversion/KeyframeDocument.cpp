#include "conversion/KeyframeDocument.h"

#include "conversion/PopupChoice.h"

namespace mouthkey {

std::string_view frameRateTitle(int rateIndex) {
    return frameRateTitles[choiceRow(rateIndex, frameRateTitles.size())];
}

std::string rateLine(int rateIndex) {
    return std::string("\tUnits Per Second\t").append(frameRateTitle(rateIndex));
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
