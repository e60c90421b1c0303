#include "FrameScore.h"

#include <algorithm>
#include <cmath>

namespace mouthkey::speecheval {

namespace {

MouthClass classOf(const TimedPhone& p) {
    return mouthClass(mouthForPhone(p.phone));
}

double frameMiddle(std::size_t frame, double fps) {
    return (double(frame) - 0.5) / fps;
}

} // namespace

Agreement& Agreement::operator+=(const Agreement& other) {
    frames += other.frames;
    agreeing += other.agreeing;
    speechFrames += other.speechFrames;
    speechAgreeing += other.speechAgreeing;
    return *this;
}

std::size_t frameCount(std::span<const TimedPhone> truth, double fps) {
    double end = 0;
    for (const TimedPhone& p : truth) {
        end = std::max(end, p.end);
    }
    std::size_t frames = 0;
    while (frameMiddle(frames + 1, fps) < end) {
        ++frames;
    }
    return frames;
}

std::vector<MouthClass> truthFrames(std::span<const TimedPhone> truth, double fps,
                                    std::size_t frames) {
    std::vector<MouthClass> out(frames, MouthClass::Rest);
    std::size_t next = 0; // the first phone that may still hold a frame
    for (std::size_t f = 1; f <= frames; ++f) {
        const double middle = frameMiddle(f, fps);
        while (next < truth.size() && truth[next].end <= middle) {
            ++next;
        }
        if (next < truth.size() && truth[next].start <= middle) {
            out[f - 1] = classOf(truth[next]);
        }
    }
    return out;
}

std::vector<MouthClass> cueFrames(std::span<const TimedPhone> phones, double fps,
                                  std::size_t frames) {
    std::vector<MouthClass> out(frames, MouthClass::Rest);
    if (phones.empty()) {
        return out;
    }
    auto cueFrame = [fps](double seconds) {
        return static_cast<std::size_t>(std::max(0.0, std::round(seconds * fps))) + 1;
    };
    double end = 0;
    for (std::size_t i = 0; i < phones.size(); ++i) {
        end = std::max(end, phones[i].end);
        const std::size_t from = cueFrame(phones[i].start);
        const std::size_t until =
            i + 1 < phones.size() ? cueFrame(phones[i + 1].start) : frames + 1;
        const MouthClass shown = classOf(phones[i]);
        for (std::size_t f = from; f < until && f <= frames; ++f) {
            out[f - 1] = shown;
        }
    }
    for (std::size_t f = cueFrame(end); f <= frames; ++f) {
        out[f - 1] = MouthClass::Rest;
    }
    return out;
}

Agreement scoreTake(std::span<const TimedPhone> truth, std::span<const TimedPhone> hypothesis,
                    double fps) {
    const std::size_t frames = frameCount(truth, fps);
    const std::vector<MouthClass> want = truthFrames(truth, fps, frames);
    const std::vector<MouthClass> got = cueFrames(hypothesis, fps, frames);
    Agreement a;
    a.frames = frames;
    for (std::size_t i = 0; i < frames; ++i) {
        const bool same = want[i] == got[i];
        a.agreeing += same;
        if (want[i] != MouthClass::Rest) {
            ++a.speechFrames;
            a.speechAgreeing += same;
        }
    }
    return a;
}

} // namespace mouthkey::speecheval
