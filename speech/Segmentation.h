#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mouthkey::speech {

// A stretch of a sound, as sample indices [begin, end).
struct Piece {
    std::size_t begin = 0;
    std::size_t end = 0;
    friend bool operator==(const Piece&, const Piece&) = default;
};

// The stretches of speech in a sound, cut at its silences, each with a
// margin of its surrounding silence and none longer than about 20 s (a long
// stretch is cut at its quietest moment). A sound without a clear silence
// level is one stretch, cut only for length. Whatever lies between the
// stretches is silence.
std::vector<Piece> speechPieces(std::span<const std::int16_t> samples, int rate);

// Whether each 10 ms frame of a sound is louder than its silence, by the
// level speechPieces cuts at; every frame where there is no silence level.
std::vector<bool> loudFrames(std::span<const std::int16_t> samples, int rate);
inline constexpr double loudFrameSeconds = 0.01;

} // namespace mouthkey::speech
