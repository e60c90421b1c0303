#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

namespace mouthkey {

// One token of a timing line: the text between spaces, as the converter cuts it.
struct TimingToken {
    std::string_view text;
    int phoneme = -1; // index into phonemeKeys, or -1 when the token names none
};

// One non-empty line of a timing text. The views are valid only during the
// handler's call.
struct TimingLine {
    // Counted from 1. Every separator ends a line, empty lines count, and
    // CR LF is one separator, as an editor would number them.
    std::uint64_t number = 0;
    // The first non-empty line, which the converter skips unread.
    bool header = false;
    std::string_view text; // without its separator
    // Cut at every space, empty tokens kept; never empty.
    std::span<const TimingToken> tokens;
};

// Reads a timing text into its lines and tokens, in the converter's
// streaming style: input fed in chunks cut anywhere, even inside a
// separator, with memory bounded by the longest line. The lines it reports
// as data lines (not the header) are exactly those the converter turns into
// keyframe lines, in the same order.
class TimingReader {
public:
    using LineHandler = std::function<void(const TimingLine&)>;

    explicit TimingReader(LineHandler handler);
    ~TimingReader();
    TimingReader(const TimingReader&) = delete;
    TimingReader& operator=(const TimingReader&) = delete;

    void feed(std::string_view chunk);
    // Reads what is held back: a last line without a separator.
    void finish();

    // Lines so far, empty ones included.
    std::uint64_t lineCount() const noexcept;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace mouthkey
