#include "conversion/Playback.h"

#include "conversion/MappingTables.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace mouthkey {

namespace {

// The letter a phoneme key stands for where the chart gives it one letter.
std::optional<std::string_view> letterOf(std::string_view key) {
    for (const LetterShape& shape : letterShapes) {
        if (shape.phoneme == key) {
            return shape.letter;
        }
    }
    return std::nullopt;
}

} // namespace

std::uint64_t frameAtMs(std::int64_t ms, const FrameRate& rate) {
    if (ms <= 0) {
        return 1;
    }
    const ExactRate r = exactRate(rate);
    // floor(ms × frames / (1000 × seconds)) in two parts, so that nothing overflows.
    const std::uint64_t per = 1000 * r.seconds;
    const auto t = static_cast<std::uint64_t>(ms);
    return 1 + t / per * r.frames + t % per * r.frames / per;
}

std::int64_t msOfFrame(std::uint64_t frame, const FrameRate& rate) {
    if (frame <= 1) {
        return 0;
    }
    const ExactRate r = exactRate(rate);
    // ceil((frame - 1) × 1000 × seconds / frames), in two parts as above.
    const std::uint64_t n = frame - 1;
    const std::uint64_t per = 1000 * r.seconds;
    const std::uint64_t whole = n / r.frames;
    constexpr auto most = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (whole > most / per) {
        return std::numeric_limits<std::int64_t>::max();
    }
    const std::uint64_t rest = (n % r.frames * per + r.frames - 1) / r.frames;
    return static_cast<std::int64_t>(std::min(most, whole * per + rest));
}

std::string playbackTimeText(std::int64_t ms, const NumberFormat& numbers) {
    const auto tenths = static_cast<std::uint64_t>(std::max<std::int64_t>(ms, 0)) / 100;
    const std::uint64_t seconds = tenths / 10;
    std::string text = std::to_string(seconds / 60) + ':';
    if (seconds % 60 < 10) {
        text += '0';
    }
    text += std::to_string(seconds % 60);
    text += numbers.decimalPoint;
    text += static_cast<char>('0' + tenths % 10);
    return text;
}

std::string_view shapeOf(const KeyframeTrack::Keyframe& k, bool letters) {
    switch (k.name) {
    case KeyframeTrack::Name::Phoneme: {
        const std::string_view key = phonemeKeys[static_cast<std::size_t>(k.phoneme)];
        return letters ? letterOf(key).value_or(key) : key;
    }
    case KeyframeTrack::Name::Unknown:
        return k.text;
    case KeyframeTrack::Name::NotAKeyframe:
        break;
    }
    return {};
}

PlaybackPoint playbackAt(const KeyframeTrack& track, std::int64_t ms, const FrameRate& rate,
                         std::int64_t offset, bool letters, const NumberFormat& numbers) {
    PlaybackPoint point;
    point.frame = frameAtMs(ms, rate);
    // A keyframe at f shows from frame f + offset: the one in force at frame - offset.
    constexpr auto last = static_cast<std::int64_t>(KeyframeTrack::maxFrame);
    const std::int64_t at = static_cast<std::int64_t>(std::min<std::uint64_t>(point.frame, last)) -
                            std::clamp<std::int64_t>(offset, -last, last);
    if (at >= 0) {
        point.keyframe = track.inEffectAt(static_cast<std::uint64_t>(at));
    }

    std::string what = "before the first cue";
    if (point.keyframe) {
        const KeyframeTrack::Keyframe k = track.at(*point.keyframe);
        point.name = k.name;
        point.shape = shapeOf(k, letters);
        switch (k.name) {
        case KeyframeTrack::Name::Phoneme:
            what = point.shape;
            break;
        case KeyframeTrack::Name::Unknown:
            what = (k.text.empty() ? std::string("an unknown name") : std::string(k.text)) +
                   ": no position";
            break;
        case KeyframeTrack::Name::NotAKeyframe:
            what = "not a keyframe line: no position";
            break;
        }
    }
    point.label = playbackTimeText(ms, numbers) + " \xC2\xB7 frame " + numbers.whole(point.frame) +
                  " \xC2\xB7 " + what;
    return point;
}

} // namespace mouthkey
