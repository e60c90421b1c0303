#pragma once

#include "conversion/Finding.h"
#include "conversion/FindingText.h"
#include "conversion/FrameTime.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "conversion/TimingReader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace mouthkey {

// Checks a timing text fed in chunks cut anywhere, reading it exactly as the
// converter does. Memory is bounded by the longest line: only counts, the
// first few line numbers and a few distinct names are kept.
//
// Two or more of the letter mouth shapes that are no phoneme names here (A,
// B, C, F, G, H, X), on more lines than the other phoneme names (D and E
// count as letters), make the text letter-shaped: they are one finding, not
// unknown names. Otherwise a letter is an unknown name like any other. With
// `letters`, the text is read as the converter reads it with letters: all
// nine letters are known.
class TimingChecker {
public:
    // Distinct unknown names reported one by one; the rest are counted together.
    static constexpr std::size_t namesListed = 8;

    explicit TimingChecker(bool letters = false);
    ~TimingChecker();
    TimingChecker(const TimingChecker&) = delete;
    TimingChecker& operator=(const TimingChecker&) = delete;

    void feed(std::string_view chunk);
    // A data line already cut into its frame and name, as the readers of
    // other formats give their cues; such a text has no header. Not to be
    // mixed with feed().
    void feedLine(std::uint64_t number, std::string_view frame, std::string_view name);
    // The same for a cue whose frame is already a number, as feedLine checks
    // its line, but without writing and reading the frame again.
    void feedCue(std::uint64_t number, std::uint64_t frame, std::string_view name);
    // Call once, at the end.
    TimingReport finish();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

TimingReport checkTimingText(std::string_view text, bool letters = false);

// The key a name was most likely meant to be: equal to it but for case, or
// but for one swapped pair of neighbouring letters (whatever their case).
// Nothing where two keys would fit.
struct MeantKey {
    std::string_view key;
    Finding::Hint hint;
};
std::optional<MeantKey> meantKey(std::string_view name,
                                 std::span<const std::string_view> keys = phonemeKeys);

// A data line that is a keyframe as its author meant one: a whole-number
// frame, one space, a name. The one statement of that rule: the checks, the
// header check, the preview's track and every quicker reader read lines by it.
struct KeyLine {
    std::uint64_t frame = 0;
    const TimingToken* name = nullptr;
};
std::optional<KeyLine> keyLine(const TimingLine& line);

// A whole-number frame: decimal digits only. Longer numbers than a frame
// counter needs saturate rather than wrap.
std::optional<std::uint64_t> wholeFrame(std::string_view token);

} // namespace mouthkey
