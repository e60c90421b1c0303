#include "conversion/DataLineConversion.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstring>
#include <ostream>

#if (defined(__SSE2__) || defined(_M_X64)) && !defined(MOUTHKEY_NO_SIMD)
#include <emmintrin.h>
#endif

namespace mouthkey {

namespace {

// Which line separator a byte may start; most bytes start none.
enum ByteKind : unsigned char {
    Plain,
    Break, // LF, VT, FF, CR
    Lead2, // 0xC2: NEL is C2 85
    Lead3, // 0xE2: LINE SEPARATOR is E2 80 A8, PARAGRAPH SEPARATOR E2 80 A9
};

constexpr std::array<ByteKind, 256> makeKinds() {
    std::array<ByteKind, 256> kinds{};
    for (unsigned char c : {'\n', '\v', '\f', '\r'}) {
        kinds[c] = Break;
    }
    kinds[0xC2] = Lead2;
    kinds[0xE2] = Lead3;
    return kinds;
}

constexpr std::array<ByteKind, 256> byteKinds = makeKinds();

using Byte = unsigned char;

// Length of the line separator starting at p, or 0.
inline std::size_t separatorAt(const Byte* p, const Byte* end) {
    switch (byteKinds[*p]) {
    case Break:
        return 1;
    case Lead2:
        return (end - p >= 2 && p[1] == 0x85) ? 2 : 0;
    case Lead3:
        return (end - p >= 3 && p[1] == 0x80 && (p[2] == 0xA8 || p[2] == 0xA9)) ? 3 : 0;
    default:
        return 0;
    }
}

using Word = std::uint64_t;
constexpr Word ones = 0x0101010101010101;
constexpr Word highs = 0x8080808080808080;
constexpr Word lows = 0x7F7F7F7F7F7F7F7F;

// Eight bytes as a word whose lowest byte is the first, on any machine.
inline Word loadWord(const Byte* p) {
    Word x;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&x, p, sizeof x);
    } else {
        x = 0;
        for (int i = 7; i >= 0; --i) {
            x = (x << 8) | p[i];
        }
    }
    return x;
}

// High bit of each byte that is below n (n <= 0x80). Exact per byte: the
// addition stays within each byte's seven low bits.
constexpr Word bytesBelow(Word x, unsigned n) {
    return ~(((x & lows) + ones * (0x80 - n)) | x) & highs;
}

constexpr Word bytesEqual(Word x, unsigned char c) {
    return bytesBelow(x ^ (ones * c), 1);
}

// Marks the bytes that can end a token or a line: space, LF VT FF CR, and the
// lead bytes of NEL, LINE SEPARATOR and PARAGRAPH SEPARATOR.
constexpr Word eventBytes(Word x) {
    return bytesEqual(x, ' ') | (bytesBelow(x, '\r' + 1) & ~bytesBelow(x, '\n')) |
           bytesEqual(x, 0xC2) | bytesEqual(x, 0xE2);
}

constexpr std::size_t blockSize = 64;

// One bit per byte of a 64-byte block, set where eventBytes marks the byte.
// Finding the events of a whole block at once, and then walking only them,
// keeps short tokens of varying length from costing a mispredicted branch
// each. SSE2 does sixteen bytes a step where it exists; words of eight
// bytes everywhere else.
inline std::uint64_t eventMask(const Byte* p) {
#if (defined(__SSE2__) || defined(_M_X64)) && !defined(MOUTHKEY_NO_SIMD)
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i fromLf = _mm_sub_epi8(v, _mm_set1_epi8('\n'));
        const __m128i lineBreak = _mm_cmpeq_epi8(_mm_min_epu8(fromLf, _mm_set1_epi8(3)), fromLf);
        const __m128i events =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), lineBreak),
                         _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xC2))),
                                      _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xE2)))));
        mask |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(events)))
                << (16 * i);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int i = 0; i < 8; ++i) {
        // Gather the eight high bits into one byte.
        const Word marks = eventBytes(loadWord(p + 8 * i)) >> 7;
        mask |= ((marks * 0x0102040810204080) >> 56) << (8 * i);
    }
    return mask;
#endif
}

// keyIndex for a token that has at least four readable bytes from its start.
inline int keyIndexPadded(const Byte* token, std::size_t size) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t head;
        std::memcpy(&head, token, 4);
        head &= static_cast<std::uint32_t>((std::uint64_t{1} << (8 * size)) - 1);
        const std::uint64_t packed = head | (static_cast<std::uint64_t>(size) << 32);
        const detail::KeySlot& slot = detail::keySlots[detail::keySlotOf(packed)];
        return slot.packed == packed ? slot.index : -1;
    } else {
        return MappingTable::keyIndex(std::string_view(reinterpret_cast<const char*>(token), size));
    }
}

const Byte* bytes(std::string_view s) {
    return reinterpret_cast<const Byte*>(s.data());
}

// Offset just past the first complete separator, or npos.
std::size_t firstSeparatorEnd(std::string_view s) {
    const Byte* begin = bytes(s);
    const Byte* end = begin + s.size();
    for (const Byte* p = begin; p < end; ++p) {
        if (const std::size_t n = separatorAt(p, end)) {
            return static_cast<std::size_t>(p - begin) + n;
        }
    }
    return std::string_view::npos;
}

// Offset just past the last complete separator, or 0.
std::size_t lastSeparatorEnd(std::string_view s) {
    const Byte* b = bytes(s);
    for (std::size_t i = s.size(); i-- > 0;) {
        const Byte c = b[i];
        if (byteKinds[c] == Break) {
            return i + 1;
        }
        if (c == 0x85 && i >= 1 && b[i - 1] == 0xC2) {
            return i + 1;
        }
        if ((c == 0xA8 || c == 0xA9) && i >= 2 && b[i - 1] == 0x80 && b[i - 2] == 0xE2) {
            return i + 1;
        }
    }
    return 0;
}

} // namespace

DataLineConverter::DataLineConverter(MappingTable mapping, ChunkSink sink, std::size_t bufferSize)
    : m_mapping(std::move(mapping)), m_sink(std::move(sink)) {
    // Room for the widest single store the hot loop makes without checking.
    bufferSize = std::max(bufferSize, 4 * slotWidth);
    m_buffer = std::make_unique<char[]>(bufferSize);
    m_write = m_buffer.get();
    m_end = m_buffer.get() + bufferSize;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        const std::string& value = m_mapping.values()[i];
        assert(value.size() <= slotWidth);
        std::memcpy(m_slots[i].bytes, value.data(), value.size());
        m_slots[i].size = static_cast<unsigned char>(value.size());
    }
}

DataLineConverter::~DataLineConverter() = default;

void DataLineConverter::feed(std::string_view chunk) {
    if (chunk.empty()) {
        return;
    }
    if (!m_carry.empty()) {
        // Complete the held-back line; a separator split across chunks is
        // whole again once both halves sit in the carry.
        const std::size_t first = firstSeparatorEnd(chunk);
        if (first == std::string_view::npos) {
            m_carry.append(chunk);
            return;
        }
        m_carry.append(chunk.substr(0, first));
        convertLines(m_carry);
        m_carry.clear();
        chunk.remove_prefix(first);
    }
    const std::size_t last = lastSeparatorEnd(chunk);
    convertLines(chunk.substr(0, last));
    m_carry.assign(chunk.substr(last));
}

void DataLineConverter::finish() {
    if (!m_carry.empty()) {
        convertLines(m_carry);
        m_carry.clear();
    }
    flush();
}

void DataLineConverter::flush() {
    if (m_write != m_buffer.get()) {
        m_sink(
            std::string_view(m_buffer.get(), static_cast<std::size_t>(m_write - m_buffer.get())));
        m_write = m_buffer.get();
    }
}

void DataLineConverter::write(const char* data, std::size_t size) {
    if (static_cast<std::size_t>(m_end - m_write) < size) {
        flush();
        if (static_cast<std::size_t>(m_end - m_write) < size) {
            m_sink(std::string_view(data, size)); // longer than the whole buffer
            return;
        }
    }
    std::memcpy(m_write, data, size);
    m_write += size;
}

// Converts text whose end is the end of a line (or of the input).
//
// This is the hot loop. It walks the event bytes of each 64-byte block; all
// other bytes are token content and are copied later, token by token. The
// write cursor lives in a local, since stores through char* could alias a
// member and would force reloads; it is synced around every call that may
// flush.
void DataLineConverter::convertLines(std::string_view text) {
    const Byte* const begin = bytes(text);
    const Byte* const end = begin + text.size();
    char* w = m_write;
    std::uint64_t keyframes = 0;
    // Locals for what the loop reads often: members would be reloaded after
    // every store through w.
    char* const bufferEnd = m_end;
    const ValueSlot* const slots = m_slots.data();
    bool headerSkipped = m_headerSkipped;

    const auto room = [&](std::size_t n) {
        if (static_cast<std::size_t>(bufferEnd - w) < n) {
            m_write = w;
            flush();
            w = m_write;
        }
    };
    // Every event writes at most a tab, one fixed-width slot and one byte
    // before the next check; longer tokens go through write().
    constexpr std::size_t eventRoom = slotWidth + 2;

    const auto emitToken = [&](const Byte* from, const Byte* to) {
        auto size = static_cast<std::size_t>(to - from);
        auto readable = static_cast<std::size_t>(end - from);
        const Byte* source = from;
        if (size - 1 < 4) {
            const int index = readable >= 4 ? keyIndexPadded(from, size)
                                            : MappingTable::keyIndex(std::string_view(
                                                  reinterpret_cast<const char*>(from), size));
            // Selects rather than branches: whether a token is a phoneme
            // name follows no pattern a predictor could learn.
            const bool found = index >= 0;
            const ValueSlot& slot = slots[found ? index : 0];
            source = found ? reinterpret_cast<const Byte*>(slot.bytes) : from;
            size = found ? slot.size : size;
            readable = found ? slotWidth : readable;
        }
        if (size <= slotWidth && readable >= slotWidth) {
            std::memcpy(w, source, slotWidth);
            w += size;
        } else {
            m_write = w;
            write(reinterpret_cast<const char*>(source), size);
            w = m_write;
            room(eventRoom); // the caller still writes its separator
        }
    };

    const Byte* lineStart = begin;
    const Byte* token = begin;
    bool lineOpen = false; // the current data line's tab is written

    const auto endLine = [&](const Byte* at, std::size_t separatorSize) {
        if (at != lineStart) {
            if (!headerSkipped) {
                headerSkipped = true;
            } else {
                room(eventRoom);
                if (!lineOpen) {
                    *w++ = '\t';
                }
                emitToken(token, at);
                *w++ = '\n';
                ++keyframes;
            }
        }
        lineStart = token = at + separatorSize;
        lineOpen = false;
    };

    const auto handleEvents = [&](const Byte* blockStart, std::uint64_t events) {
        while (events != 0) {
            const Byte* at = blockStart + std::countr_zero(events);
            events &= events - 1;
            if (*at == ' ') {
                if (headerSkipped) {
                    room(eventRoom);
                    if (!lineOpen) {
                        *w++ = '\t';
                        lineOpen = true;
                    }
                    emitToken(token, at);
                    *w++ = ' ';
                }
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
    m_write = w;
    m_keyframes += keyframes;
    m_headerSkipped = headerSkipped;
}

std::string convertDataLines(std::string_view text, const MappingTable& mapping) {
    std::string result;
    // Typical timing files about double in size; reserving that up front
    // saves the copies of repeated growth on large files.
    result.reserve(text.size() * 2);
    DataLineConverter converter(mapping,
                                [&result](std::string_view chunk) { result.append(chunk); });
    converter.feed(text);
    converter.finish();
    return result;
}

void convertDataLines(std::string_view text, const MappingTable& mapping, std::ostream& out) {
    DataLineConverter converter(mapping, [&out](std::string_view chunk) {
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    });
    converter.feed(text);
    converter.finish();
}

} // namespace mouthkey
