#pragma once

// The reading of a timing text into numbered lines and tokens, as a template
// over what handles each line, so that the checks can have it inlined. The
// public TimingReader is this reader with a std::function. Private to the
// conversion library.
#include "conversion/MappingTables.h"
#include "conversion/TimingReader.h"

#include "LineScan.h"

#include <string>
#include <vector>

namespace mouthkey::scan {

template <class Handler> class LineReader {
public:
    explicit LineReader(Handler handler) : m_handler(std::move(handler)) {}

    std::uint64_t lineCount() const noexcept { return m_lines; }

    void feed(std::string_view chunk) {
        if (chunk.empty()) {
            return;
        }
        // Held-back text is completed exactly as the converter completes it.
        if (!m_carry.empty()) {
            const std::size_t first = firstSeparatorEnd(chunk);
            if (first == std::string_view::npos) {
                m_carry.append(chunk);
                return;
            }
            m_carry.append(chunk.substr(0, first));
            readLines(m_carry);
            m_carry.clear();
            chunk.remove_prefix(first);
        }
        const std::size_t last = lastSeparatorEnd(chunk);
        readLines(chunk.substr(0, last));
        m_carry.assign(chunk.substr(last));
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
        const Byte* token = lineStart;
        m_tokens.clear();

        const auto addToken = [&](const Byte* to) {
            const auto size = static_cast<std::size_t>(to - token);
            const std::string_view t(reinterpret_cast<const char*>(token), size);
            const int phoneme = size - 1 < 4 && end - token >= 4 ? keyIndexPadded(token, size)
                                                                 : MappingTable::keyIndex(t);
            m_tokens.push_back({t, phoneme});
        };
        const auto endLine = [&](const Byte* at, std::size_t separatorSize) {
            ++m_lines;
            if (at != lineStart) {
                addToken(at);
                TimingLine line;
                line.number = m_lines;
                line.header = !m_headerSeen;
                line.text = std::string_view(reinterpret_cast<const char*>(lineStart),
                                             static_cast<std::size_t>(at - lineStart));
                line.tokens = m_tokens;
                m_headerSeen = true;
                m_handler(line);
            }
            m_tokens.clear();
            lineStart = at + separatorSize;
            if (separatorSize == 1 && *at == '\r') {
                if (lineStart < end && *lineStart == '\n') {
                    ++lineStart;
                } else if (lineStart == end) {
                    m_afterCr = true;
                }
            }
            token = lineStart;
        };
        const auto handleEvents = [&](const Byte* blockStart, std::uint64_t events) {
            while (events != 0) {
                const Byte* at = blockStart + std::countr_zero(events);
                events &= events - 1;
                if (at < lineStart) {
                    continue; // the LF of a CR LF, already taken
                }
                if (*at == ' ') {
                    addToken(at);
                    token = at + 1;
                } else if (const std::size_t n = separatorAt(at, end)) {
                    endLine(at, n);
                }
            }
        };

        const Byte* p = begin;
        for (; static_cast<std::size_t>(end - p) >= blockSize; p += blockSize) {
            handleEvents(p, eventMask(p));
        }
        if (p < end) {
            Byte tail[blockSize] = {}; // NUL padding marks no events
            std::memcpy(tail, p, static_cast<std::size_t>(end - p));
            handleEvents(p, eventMask(tail));
        }
        if (lineStart < end) {
            endLine(end, 0);
        }
    }

    Handler m_handler;
    std::string m_carry;
    std::vector<TimingToken> m_tokens;
    std::uint64_t m_lines = 0;
    bool m_headerSeen = false;
    bool m_afterCr = false; // the last text read ended with a CR, whose LF may follow
};

} // namespace mouthkey::scan
