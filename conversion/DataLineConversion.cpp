#include "conversion/DataLineConversion.h"

#include <array>
#include <cstring>
#include <ostream>

namespace mouthkey {

namespace {

// What a byte may start: most bytes are plain token content.
enum ByteKind : unsigned char {
    Plain,
    Space,
    Break, // LF, VT, FF, CR
    Lead2, // 0xC2: NEL is C2 85
    Lead3, // 0xE2: LINE SEPARATOR is E2 80 A8, PARAGRAPH SEPARATOR E2 80 A9
};

constexpr std::array<ByteKind, 256> makeKinds() {
    std::array<ByteKind, 256> kinds{};
    kinds[' '] = Space;
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
    : m_mapping(std::move(mapping)), m_sink(std::move(sink)),
      m_buffer(std::make_unique<char[]>(bufferSize < 64 ? 64 : bufferSize)),
      m_write(m_buffer.get()), m_end(m_buffer.get() + (bufferSize < 64 ? 64 : bufferSize)) {}

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
void DataLineConverter::convertLines(std::string_view text) {
    const Byte* p = bytes(text);
    const Byte* const end = p + text.size();
    const auto emitToken = [this](const Byte* from, const Byte* to) {
        const auto token = std::string_view(reinterpret_cast<const char*>(from),
                                            static_cast<std::size_t>(to - from));
        if (const auto value = m_mapping.find(token)) {
            write(value->data(), value->size());
        } else {
            write(token.data(), token.size());
        }
    };

    while (p < end) {
        if (const std::size_t n = separatorAt(p, end)) {
            p += n; // empty line
            continue;
        }
        if (!m_headerSkipped) {
            m_headerSkipped = true;
            std::size_t n = 0;
            while (p < end && (n = separatorAt(p, end)) == 0) {
                ++p;
            }
            p += n;
            continue;
        }

        put('\t');
        const Byte* token = p;
        for (;;) {
            while (p < end && byteKinds[*p] == Plain) {
                ++p;
            }
            if (p == end) {
                emitToken(token, p);
                break;
            }
            if (*p == ' ') {
                emitToken(token, p);
                put(' ');
                token = ++p;
                continue;
            }
            if (const std::size_t n = separatorAt(p, end)) {
                emitToken(token, p);
                p += n;
                break;
            }
            ++p; // a lead byte that starts no separator is token content
        }
        put('\n');
        ++m_keyframes;
    }
}

std::string convertDataLines(std::string_view text, const MappingTable& mapping) {
    std::string result;
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
