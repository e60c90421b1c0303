#include "PlayedMouth.h"

#include "app/LocaleNumbers.h"
#include "conversion/Playback.h"
#include "textinput/Utf8Text.h"

namespace mouthkey {

ViewController::PlayedMouth playedMouthAt(const KeyframeTrack& track, qint64 ms,
                                          const TargetChoices& c) {
    ViewController::PlayedMouth shown;
    const PlaybackPoint point =
        playbackAt(track, ms, c.rate, c.offset, c.letters, numberFormatOf());
    shown.label = toQString(point.label);
    const auto frame = static_cast<std::int64_t>(point.frame) - c.offset;
    if (frame >= 0) {
        shown.trackFrame = static_cast<std::uint64_t>(frame);
    }
    if (!point.keyframe) {
        return shown; // at rest until the first cue
    }
    shown.mouth.name = toQString(point.shape);
    shown.mouth.letters = c.letters;
    if (!usesChart(c.target)) {
        // As the preview marks them: what gets no position.
        shown.mouth.noPosition = point.name != KeyframeTrack::Name::Phoneme;
        return shown;
    }
    // A key without a drawing is left out of the document, so the drawing
    // before it holds on there; a take names few mouths, so few are passed.
    // Drawings are looked up by the name as written, as the document's are.
    const MouthChart chart = c.chartInUse();
    const auto drawn = [&](const KeyframeTrack::Keyframe& k) {
        return !k.written.empty() && chart.drawingOf(k.written, c.letters);
    };
    if (drawn(track.at(*point.keyframe))) {
        return shown;
    }
    shown.mouth.noPosition = true;
    constexpr std::size_t looked = 4096;
    for (std::size_t i = *point.keyframe, n = 0; i-- > 0 && n < looked; ++n) {
        const KeyframeTrack::Keyframe k = track.at(i);
        if (drawn(k)) {
            shown.mouth.name = toQString(shapeOf(k, c.letters));
            shown.mouth.noPosition = false;
            break;
        }
    }
    return shown;
}

qint64 takeLengthMs(const KeyframeTrack& track, std::int64_t offset, const FrameRate& rate) {
    if (track.empty()) {
        return 0;
    }
    const std::int64_t last = static_cast<std::int64_t>(track.lastFrame()) + offset + 1;
    return last > 1 ? msOfFrame(static_cast<std::uint64_t>(last), rate) : 0;
}

qint64 positionOfFrame(std::uint64_t frame, std::int64_t offset, const FrameRate& rate) {
    const std::int64_t played = static_cast<std::int64_t>(frame) + offset;
    return played <= 1 ? 0 : msOfFrame(static_cast<std::uint64_t>(played), rate);
}

} // namespace mouthkey
