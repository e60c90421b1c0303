#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace mouthkey {

// A sound kept as the lowest and highest sample of each block of samples, at
// several levels (each block of a level spans `levelFactor` of the one below),
// so that a drawing of any stretch of it, at any width, reads a few entries a
// column and never the samples themselves.
class WaveformSummary {
public:
    struct Peak {
        float low = 0;
        float high = 0;
        friend bool operator==(const Peak&, const Peak&) = default;
    };

    static constexpr std::size_t levelFactor = 4;

    // Samples come in frames of `channels` interleaved samples; a block is
    // `framesPerPeak` frames, all its channels together.
    WaveformSummary(double sampleRate, int channels, std::size_t framesPerPeak = 64);

    // Adds samples, in [-1, 1], in the order they play; a frame may be split
    // between two calls.
    void append(std::span<const float> interleaved);
    // Ends the sound: the last, shorter block counts too.
    void finish();

    double sampleRate() const noexcept { return m_sampleRate; }
    std::uint64_t frames() const noexcept { return m_frames; }
    double seconds() const noexcept { return static_cast<double>(m_frames) / m_sampleRate; }
    std::size_t framesPerPeak() const noexcept { return m_framesPerPeak; }
    std::size_t levels() const noexcept { return m_levels.size(); }

    // [from, to) seconds in `count` equal columns, each the lowest and
    // highest sample within it; nothing for a column that no sound reaches.
    std::vector<std::optional<Peak>> peaks(double fromSeconds, double toSeconds,
                                           std::size_t count) const;

    std::size_t memoryBytes() const noexcept;

private:
    void addPeak(std::size_t level, Peak peak);

    double m_sampleRate;
    std::size_t m_channels;
    std::size_t m_framesPerPeak;
    std::uint64_t m_samples = 0;
    std::uint64_t m_frames = 0;
    // The block being filled at level 0: its samples so far, and its extremes.
    std::size_t m_samplesInBlock = 0;
    Peak m_block;
    std::vector<std::vector<Peak>> m_levels;
};

} // namespace mouthkey
