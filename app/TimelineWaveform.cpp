// The sound behind the timeline's keys: its waveform at the frames shown,
// from the summary alone, one line a pixel column.
#include "app/TimelinePreview.h"

#include "conversion/FrameTime.h"

#include <algorithm>
#include <cmath>

namespace mouthkey {

void TimelinePreview::setWaveform(std::shared_ptr<const WaveformSummary> waveform) {
    if (waveform == m_waveform) {
        return;
    }
    m_waveform = std::move(waveform);
    m_linesValid = false;
    update();
}

void TimelinePreview::setSoundShift(std::int64_t frames) {
    if (frames == m_soundShift) {
        return;
    }
    m_soundShift = frames;
    m_linesValid = false;
    update();
}

// Frame f of the track plays at frame f + shift of the sound, and frame 1 starts at 0 s.
void TimelinePreview::rebuildWaveform(const QRectF& plot, std::size_t count) {
    if (!m_waveform) {
        return;
    }
    const double fps = framesPerSecond(m_rate);
    const auto seconds = [this, fps](std::uint64_t frame) {
        return (static_cast<double>(frame) + static_cast<double>(m_soundShift) - 1) / fps;
    };
    const auto peaks = m_waveform->peaks(seconds(m_from), seconds(m_to), count);
    const double middle = plot.center().y();
    const double half = plot.height() * 0.45; // clear of the names above it
    m_wave.reserve(static_cast<qsizetype>(count));
    for (std::size_t c = 0; c < count; ++c) {
        if (!peaks[c]) {
            continue;
        }
        const double x = plot.left() + static_cast<double>(c);
        const double top = middle - std::clamp(double(peaks[c]->high), -1.0, 1.0) * half;
        const double bottom = middle - std::clamp(double(peaks[c]->low), -1.0, 1.0) * half;
        m_wave.append(QRectF(x, top, 1, std::max(bottom - top, 1.0)));
    }
}

} // namespace mouthkey
