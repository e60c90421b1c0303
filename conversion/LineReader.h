#pragma once

// The reading of a timing text into numbered lines and tokens, as a template
// over what handles each line, so that the checks can have it inlined. The
// public TimingReader is this reader with a std::function. Private to the
// conversion library.
#include "conversion/MappingTables.h"
#include "conversion/TimingReader.h"

#include "LineScan.h"

#include <algorithm>
#include <array>
#include <concepts>
#include <span>
#include <string>
#include <vector>

namespace mouthkey::scan {

template <class Handler> class LineReader {
public:
    explicit LineReader(Handler handler) : m_handler(std::move(handler)) {}
    // For a text read on from a line's start: `linesBefore` lines were read
    // before it, the header among them when `headerSeen`.
    LineReader(Handler handler, std::uint64_t linesBefore, bool headerSeen)
        : m_handler(std::move(handler)), m_lines(linesBefore), m_headerSeen(headerSeen) {}

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
        if (m_afterCr && *lineStart == '\n') {
            ++lineStart; // the LF of a CR LF cut between two chunks
        }
        m_afterCr = false;
        if constexpr (requires(const Byte* p) {
                          { m_handler.takeLines(p, p, m_lines) } -> std::same_as<const Byte*>;
                      }) {
            // A handler may take the lines it recognises on a path of its
            // own, which stops at the start of a line. The lines after it go
            // the general way, a short run at a time, and then it tries again.
            constexpr std::size_t generalRun = 256;
            while (lineStart < end) {
                if (m_headerSeen) {
                    lineStart = m_handler.takeLines(lineStart, end, m_lines);
                }
                if (lineStart < end) {
                    const Byte* const runEnd = endOfLineAt(
                        lineStart + std::min<std::size_t>(generalRun, end - lineStart), end);
                    readRun(lineStart, runEnd, end);
                    lineStart = runEnd;
                }
            }
        } else {
            readRun(lineStart, end, end);
        }
    }

    // Just past the first separator at or after p, with the LF of a CR LF.
    static const Byte* endOfLineAt(const Byte* p, const Byte* end) {
        for (; p < end; ++p) {
            if (const std::size_t n = separatorAt(p, end)) {
                return p + n + (*p == '\r' && p + 1 < end && p[1] == '\n' ? 1 : 0);
            }
        }
        return end;
    }

    // Reads the lines of [begin, end), which ends at a line end; `textEnd`
    // is the end of the whole text.
    void readRun(const Byte* const begin, const Byte* const end, const Byte* const textEnd) {
        const Byte* lineStart = begin;
        // Locals, not members: the inlined handler's stores would force reloads.
        std::uint64_t lines = m_lines;
        bool headerSeen = m_headerSeen;

        const auto lookUp = [&](std::string_view t) {
            const auto* at = reinterpret_cast<const Byte*>(t.data());
            return t.size() - 1 < 4 && textEnd - at >= 4
                       ? keyIndexPadded(at, t.size())
                       : keys::slotFieldOf<&keys::KeySlot::index>(t);
        };
        const auto view = [](const Byte* from, const Byte* to) {
            return std::string_view(reinterpret_cast<const char*>(from),
                                    static_cast<std::size_t>(to - from));
        };
        const auto endLine = [&](const Byte* at, std::size_t separatorSize) {
            ++lines;
            if (at != lineStart) {
                const std::string_view lineText = view(lineStart, at);
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
                headerSeen = true;
            }
            lineStart = at + separatorSize;
            if (separatorSize == 1 && *at == '\r') {
                if (lineStart < end && *lineStart == '\n') {
                    ++lineStart;
                } else if (lineStart == textEnd) {
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
                if (*at != ' ') { // spaces are found again when a line is cut
                    if (const std::size_t n = separatorAt(at, end); n != 0) {
                        endLine(at, n);
                    }
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
