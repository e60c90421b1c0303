#pragma once

// The reading of a timing text into numbered lines and tokens, as a template
// over what handles each line, so that the checks can have it inlined. The
// public TimingReader is this reader with a std::function. Private to the
// conversion library.
#include "conversion/MappingTables.h"
#include "conversion/TimingReader.h"

#include "LineScan.h"

#include <array>
#include <span>
#include <string>
#include <vector>

namespace mouthkey::scan {

template <class Handler> class LineReader {
public:
    explicit LineReader(Handler handler) : m_handler(std::move(handler)) {}

    std::uint64_t lineCount() const noexcept { return m_lines; }

    void feed(std::string_view chunk) {
        // Held-back text is completed exactly as the converter completes it.
        feedWholeLines(m_carry, chunk, [this](std::string_view lines) { readLines(lines); });
    }

    void finish() {
        if (!m_carry.empty()) {
            readLines(m_carry);
            m_carry.clear();
        }
    }

private:
    // Reads text whose end is the end of a line (or of the input).
    void readLines(std::string_view text) {
        if (text.empty()) {
            return; // keeps a CR at the end of the last text waiting for its LF
        }
        const Byte* const begin = bytes(text);
        const Byte* const end = begin + text.size();
        const Byte* lineStart = begin;
        if (m_afterCr && lineStart < end && *lineStart == '\n') {
            ++lineStart; // the LF of a CR LF cut between two chunks
        }
        m_afterCr = false;
        // Locals, not members: the inlined handler's stores would force reloads.
        std::uint64_t lines = m_lines;
        bool headerSeen = m_headerSeen;
        // Only the spaces are counted as the line is scanned; a line is cut
        // into tokens once it is known to need that.
        std::size_t spaces = 0;
        const Byte* firstSpace = nullptr;

        const auto lookUp = [&](std::string_view t) {
            const auto* at = reinterpret_cast<const Byte*>(t.data());
            return t.size() - 1 < 4 && end - at >= 4 ? keyIndexPadded(at, t.size())
                                                     : MappingTable::keyIndex(t);
        };
        const auto view = [](const Byte* from, const Byte* to) {
            return std::string_view(reinterpret_cast<const char*>(from),
                                    static_cast<std::size_t>(to - from));
        };
        const auto endLine = [&](const Byte* at, std::size_t separatorSize) {
            ++lines;
            if (at != lineStart) {
                const std::string_view lineText = view(lineStart, at);
                // A handler may take the usual two-token data line on a
                // shorter path; it sees the same line either way.
                bool taken = false;
                if constexpr (requires {
                                  m_handler.takePair(lines, lineText, TimingToken{}, TimingToken{},
                                                     std::size_t{});
                              }) {
                    if (spaces == 1 && headerSeen) {
                        const std::string_view name = view(firstSpace + 1, at);
                        taken = m_handler.takePair(lines, lineText,
                                                   TimingToken{view(lineStart, firstSpace), -1},
                                                   TimingToken{name, lookUp(name)},
                                                   static_cast<std::size_t>(end - lineStart));
                    }
                }
                if (!taken) {
                    m_tokens.clear();
                    std::size_t from = 0;
                    for (std::size_t space = lineText.find(' '); space != std::string_view::npos;
                         space = lineText.find(' ', from)) {
                        const std::string_view t = lineText.substr(from, space - from);
                        m_tokens.push_back({t, lookUp(t)});
                        from = space + 1;
                    }
                    const std::string_view last = lineText.substr(from);
                    m_tokens.push_back({last, lookUp(last)});
                    TimingLine line;
                    line.number = lines;
                    line.header = !headerSeen;
                    line.text = lineText;
                    line.tokens = m_tokens;
                    m_handler(line);
                }
                headerSeen = true;
            }
            spaces = 0;
            lineStart = at + separatorSize;
            if (separatorSize == 1 && *at == '\r') {
                if (lineStart < end && *lineStart == '\n') {
                    ++lineStart;
                } else if (lineStart == end) {
                    m_afterCr = true;
                }
            }
        };
        const auto handleEvents = [&](const Byte* blockStart, std::uint64_t events) {
            while (events != 0) {
                const Byte* at = blockStart + std::countr_zero(events);
                events &= events - 1;
                if (at < lineStart) {
                    continue; // the LF of a CR LF, already taken
                }
                if (*at == ' ') {
                    firstSpace = spaces++ == 0 ? at : firstSpace;
                } else if (const std::size_t n = separatorAt(at, end)) {
                    endLine(at, n);
                }
            }
        };

        forEachBlock(begin, end, handleEvents);
        if (lineStart < end) {
            endLine(end, 0);
        }
        m_lines = lines;
        m_headerSeen = headerSeen;
    }

    Handler m_handler;
    std::string m_carry;
    std::vector<TimingToken> m_tokens;
    std::uint64_t m_lines = 0;
    bool m_headerSeen = false;
    bool m_afterCr = false; // the last text read ended with a CR, whose LF may follow
};

} // namespace mouthkey::scan
