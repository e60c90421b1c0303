#include "conversion/WaveformSummary.h"

#include <algorithm>
#include <cmath>

namespace mouthkey {

namespace {

WaveformSummary::Peak joined(WaveformSummary::Peak a, WaveformSummary::Peak b) {
    return {std::min(a.low, b.low), std::max(a.high, b.high)};
}

} // namespace

WaveformSummary::WaveformSummary(double sampleRate, int channels, std::size_t framesPerPeak)
    : m_sampleRate(sampleRate > 0 ? sampleRate : 1),
      m_channels(static_cast<std::size_t>(std::max(channels, 1))),
      m_framesPerPeak(std::max<std::size_t>(framesPerPeak, 1)), m_levels(1) {}

void WaveformSummary::append(std::span<const float> interleaved) {
    const std::size_t perBlock = m_channels * m_framesPerPeak;
    for (const float sample : interleaved) {
        m_block = m_samplesInBlock == 0 ? Peak{sample, sample} : joined(m_block, {sample, sample});
        ++m_samples;
        if (++m_samplesInBlock == perBlock) {
            addPeak(0, m_block);
            m_samplesInBlock = 0;
        }
    }
    m_frames = m_samples / m_channels;
}

void WaveformSummary::finish() {
    if (m_samplesInBlock > 0) {
        addPeak(0, m_block);
        m_samplesInBlock = 0;
        m_frames = (m_samples + m_channels - 1) / m_channels;
    }
    // A level's last, shorter group still reaches the level above.
    for (std::size_t level = 0; level < m_levels.size() && m_levels[level].size() > 1; ++level) {
        const std::vector<Peak>& at = m_levels[level];
        const std::size_t rest = at.size() % levelFactor;
        if (rest == 0) {
            continue;
        }
        Peak group = at[at.size() - rest];
        for (std::size_t k = at.size() - rest + 1; k < at.size(); ++k) {
            group = joined(group, at[k]);
        }
        addPeak(level + 1, group);
    }
    // Held for as long as the sound is shown: no room left over from growing.
    for (std::vector<Peak>& at : m_levels) {
        at.shrink_to_fit();
    }
}

void WaveformSummary::addPeak(std::size_t level, Peak peak) {
    if (level == m_levels.size()) {
        m_levels.emplace_back();
    }
    std::vector<Peak>& at = m_levels[level];
    at.push_back(peak);
    if (at.size() % levelFactor == 0) {
        Peak group = at[at.size() - levelFactor];
        for (std::size_t k = at.size() - levelFactor + 1; k < at.size(); ++k) {
            group = joined(group, at[k]);
        }
        addPeak(level + 1, group);
    }
}

std::vector<std::optional<WaveformSummary::Peak>>
WaveformSummary::peaks(double fromSeconds, double toSeconds, std::size_t count) const {
    std::vector<std::optional<Peak>> out(count);
    if (count == 0 || !(toSeconds > fromSeconds) || m_levels.front().empty()) {
        return out;
    }
    const double columnFrames =
        (toSeconds - fromSeconds) * m_sampleRate / static_cast<double>(count);
    // The coarsest level with a few blocks a column: a block across a
    // column's edge counts in both, and so smears the sound by less than a
    // quarter of a column.
    std::size_t level = 0;
    double span = static_cast<double>(m_framesPerPeak);
    while (level + 1 < m_levels.size() && span * levelFactor * 4 <= columnFrames) {
        ++level;
        span *= levelFactor;
    }
    const std::vector<Peak>& at = m_levels[level];
    const auto frames = static_cast<double>(m_frames);
    for (std::size_t c = 0; c < count; ++c) {
        const double from =
            std::max(0.0, fromSeconds * m_sampleRate + static_cast<double>(c) * columnFrames);
        const double to = std::min(frames, fromSeconds * m_sampleRate +
                                               static_cast<double>(c + 1) * columnFrames);
        if (!(to > from)) {
            continue;
        }
        const auto first = std::min(at.size() - 1, static_cast<std::size_t>(from / span));
        const auto end =
            std::clamp(static_cast<std::size_t>(std::ceil(to / span)), first + 1, at.size());
        Peak peak = at[first];
        for (std::size_t e = first + 1; e < end; ++e) {
            peak = joined(peak, at[e]);
        }
        out[c] = peak;
    }
    return out;
}

std::size_t WaveformSummary::memoryBytes() const noexcept {
    std::size_t bytes = sizeof(*this);
    for (const std::vector<Peak>& level : m_levels) {
        bytes += level.capacity() * sizeof(Peak);
    }
    return bytes;
}

} // namespace mouthkey
