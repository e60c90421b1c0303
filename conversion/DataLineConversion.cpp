#include "conversion/DataLineConversion.h"

#include "LineScan.h"
#include "PositionLines.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <ostream>

namespace mouthkey {

using namespace scan;

// The converter's state, with the hot loop.
struct DataLineConverter::Impl {
    static constexpr std::size_t slotWidth = PositionValues::width;

    Impl(MappingTable mapping, ChunkSink sink, std::size_t bufferSize);
    void feed(std::string_view chunk);
    void finish();
    void convertLines(std::string_view text);
    void write(const char* data, std::size_t size);
    void flush();

    PositionValues m_values;
    ChunkSink m_sink;
    std::unique_ptr<char[]> m_buffer;
    char* m_write;
    char* m_end;
    std::string m_carry;
    bool m_headerSkipped = false;
    std::uint64_t m_keyframes = 0;
};

DataLineConverter::DataLineConverter(MappingTable mapping, ChunkSink sink, std::size_t bufferSize)
    : m_impl(std::make_unique<Impl>(std::move(mapping), std::move(sink), bufferSize)) {}

DataLineConverter::~DataLineConverter() = default;

void DataLineConverter::feed(std::string_view chunk) {
    m_impl->feed(chunk);
}

void DataLineConverter::finish() {
    m_impl->finish();
}

void DataLineConverter::feedKeyframeLines(std::string_view lines, std::uint64_t count) {
    Impl& impl = *m_impl;
    if (!impl.m_carry.empty()) {
        impl.convertLines(impl.m_carry);
        impl.m_carry.clear();
    }
    // Lines that fill half the buffer go out as they are, rather than copied.
    if (lines.size() >= static_cast<std::size_t>(impl.m_end - impl.m_buffer.get()) / 2) {
        impl.flush();
        if (!lines.empty()) {
            impl.m_sink(lines);
        }
    } else {
        impl.write(lines.data(), lines.size());
    }
    impl.m_keyframes += count;
}

std::uint64_t DataLineConverter::keyframeCount() const noexcept {
    return m_impl->m_keyframes;
}

DataLineConverter::Impl::Impl(MappingTable mapping, ChunkSink sink, std::size_t bufferSize)
    : m_values(mapping), m_sink(std::move(sink)) {
    // Room for the widest single store the hot loop makes without checking.
    bufferSize = std::max(bufferSize, 4 * slotWidth);
    m_buffer = std::make_unique<char[]>(bufferSize);
    m_write = m_buffer.get();
    m_end = m_buffer.get() + bufferSize;
}

void DataLineConverter::Impl::feed(std::string_view chunk) {
    feedWholeLines(m_carry, chunk, [this](std::string_view lines) { convertLines(lines); });
}

void DataLineConverter::Impl::finish() {
    if (!m_carry.empty()) {
        convertLines(m_carry);
        m_carry.clear();
    }
    flush();
}

void DataLineConverter::Impl::flush() {
    if (m_write != m_buffer.get()) {
        m_sink(
            std::string_view(m_buffer.get(), static_cast<std::size_t>(m_write - m_buffer.get())));
        m_write = m_buffer.get();
    }
}

void DataLineConverter::Impl::write(const char* data, std::size_t size) {
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
void DataLineConverter::Impl::convertLines(std::string_view text) {
    const Byte* const begin = bytes(text);
    const Byte* const end = begin + text.size();
    char* w = m_write;
    std::uint64_t keyframes = 0;
    // Locals for what the loop reads often: members would be reloaded after
    // every store through w.
    char* const bufferEnd = m_end;
    const PositionValues* const values = &m_values;
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
        const TokenOutput out =
            tokenOutput(*values, reinterpret_cast<const char*>(from),
                        static_cast<std::size_t>(to - from), static_cast<std::size_t>(end - from));
        if (out.size <= slotWidth && out.readable >= slotWidth) {
            std::memcpy(w, out.bytes, slotWidth);
            w += out.size;
        } else {
            m_write = w;
            write(out.bytes, out.size);
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

    forEachBlock(begin, end, handleEvents);
    if (lineStart < end) {
        endLine(end, 0);
    }
    m_write = w;
    m_keyframes += keyframes;
    m_headerSkipped = headerSkipped;
}

std::string convertDataLines(std::string_view text, const MappingTable& mapping) {
    std::string result;
    // Typical timing files a little more than double in size. Reserving more
    // than that up front costs no memory until it is written, and spares a
    // large text the copy of growing.
    result.reserve(text.size() * 3);
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
