#pragma once

// A target that keys a .dat text's own lines, "FRAME NAME" each, which a
// loop over a text's cues may hand it a batch at a time: Position. Private
// to the conversion library.
#include "conversion/DocumentTarget.h"

#include "FrameText.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace mouthkey {

class DatLinesTarget : public DocumentTarget {
public:
    // Keys lines as `datLineAt` writes them, in frame order, after those of key().
    virtual void keyLines(std::string_view lines) = 0;
};

// Room a line needs past its name: the frame's twenty digits (and the
// eight-byte store of eight), a space and the LF.
inline constexpr std::size_t datLineRoom = 22;

// A name's bytes at `at`. Most names are a few bytes long, for which two
// overlapping copies of fixed size beat a call to memcpy.
inline void copyName(char* at, std::string_view name) {
    const std::size_t n = name.size();
    const char* from = name.data();
    if (n >= 4 && n <= 8) {
        std::uint32_t head;
        std::uint32_t tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + n - 4, 4);
        std::memcpy(at, &head, 4);
        std::memcpy(at + n - 4, &tail, 4);
    } else if (n > 0 && n < 4) {
        at[0] = from[0];
        at[n / 2] = from[n / 2];
        at[n - 1] = from[n - 1];
    } else {
        std::memcpy(at, from, n);
    }
}

// The line of a key at `at`, which has datLineRoom bytes past the name's
// size; returns its end.
inline char* datLineAt(char* at, std::uint64_t frame, std::string_view name) {
    at = frameAt(at, frame);
    *at++ = ' ';
    copyName(at, name);
    at += name.size();
    *at++ = '\n';
    return at;
}

} // namespace mouthkey
