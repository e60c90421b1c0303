#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace mouthkey {

inline constexpr std::string_view headertop = "Adobe After Effects 8.0 Keyframe Data\n";

inline constexpr std::string_view headerbottom = "\tSource Width\t1\n"
                                                 "\tSource Height\t1\n"
                                                 "\tSource Pixel Aspect Ratio\t1\n"
                                                 "\tComp Pixel Aspect Ratio\t1\n"
                                                 "\n"
                                                 "Transform\tPosition\n"
                                                 "\tFrame\tX pixels\tY pixels\tZ pixels";

inline constexpr std::string_view footer = "Expression Data\n"
                                           "[value[0],0];\n"
                                           "End of Expression Data\n"
                                           "\n"
                                           "\n"
                                           "End of Keyframe Data";

// Titles of the frame-rate pop-up, in index order (deliberately not sorted).
inline constexpr std::array<std::string_view, 10> frameRateTitles{
    "24", "29.97", "30", "25", "15", "12", "8", "60", "50", "59.97",
};

// The title a frame-rate index stands for, by choiceRow.
std::string_view frameRateTitle(int rateIndex);

// The "Units Per Second" line for a frame-rate index, repeating its title.
std::string rateLine(int rateIndex);

// The rate a document is for: a row of the frame-rate pop-up, or a rate
// typed on the command line.
class FrameRate {
public:
    // A pop-up row; an index outside the list stands for the first, as in
    // frameRateTitle.
    explicit FrameRate(int rateIndex);
    FrameRate() : FrameRate(0) {}

    // A title, or a plain decimal number from 1 to 1000: digits, then maybe a
    // point and more digits. The number is kept in its shortest form ("048.50"
    // as "48.5"), so that one way of writing a rate gives one document, and a
    // number a title writes ("24.0") is that title. Nothing for anything else,
    // such as exponents, signs, commas or spaces.
    static std::optional<FrameRate> fromText(std::string_view text);

    // As the document and the summary write it.
    std::string_view title() const noexcept { return m_title; }

    friend bool operator==(const FrameRate&, const FrameRate&) = default;

private:
    explicit FrameRate(std::string title);

    std::string m_title; // the titles differ, so the title tells a row too
};

// The "Units Per Second" line, repeating the rate's title.
std::string rateLine(const FrameRate& rate);

std::string assembleDocument(std::string_view headertop, std::string_view fpsheader,
                             std::string_view headerbottom, std::string_view newdatout,
                             std::string_view footer);

// assembleDocument, into any byte container with reserve(n) and
// append(const char*, n), so that a front end can build the document straight
// into the buffer its clipboard keeps, without a copy of a large text.
template <class Bytes>
void assembleDocument(Bytes& document, std::string_view headertop, std::string_view fpsheader,
                      std::string_view headerbottom, std::string_view newdatout,
                      std::string_view footer) {
    document.reserve(static_cast<decltype(document.size())>(headertop.size() + fpsheader.size() +
                                                            headerbottom.size() + newdatout.size() +
                                                            footer.size() + 4));
    for (const std::string_view piece : {headertop, fpsheader, headerbottom, newdatout}) {
        document.append(piece.data(), static_cast<decltype(document.size())>(piece.size()));
        document.append("\n", 1);
    }
    document.append(footer.data(), static_cast<decltype(document.size())>(footer.size()));
}

// The document split around its keyframe lines, for writers that stream
// those lines: documentHead(fpsheader) + newdatout + documentTail() is the
// same text as assembleDocument with the constant pieces.
std::string documentHead(std::string_view fpsheader);
std::string documentTail();

} // namespace mouthkey
