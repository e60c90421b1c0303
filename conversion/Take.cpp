#include "conversion/Take.h"

#include "conversion/TimingCheck.h"
#include "conversion/TimingWriting.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace mouthkey {

std::uint64_t frameAtSeconds(double seconds, double framesPerSecond) {
    const double frames = std::floor(seconds * framesPerSecond);
    constexpr double last = 9.0e18;
    return frames >= last ? static_cast<std::uint64_t>(last)
                          : 1 + static_cast<std::uint64_t>(std::max(frames, 0.0));
}

bool ReaderFindings::has(Finding::Kind kind) const {
    return std::any_of(m_findings.begin(), m_findings.end(),
                       [kind](const Finding& f) { return f.kind == kind; });
}

std::vector<Finding> ReaderFindings::take() {
    std::stable_sort(m_findings.begin(), m_findings.end(),
                     [](const Finding& a, const Finding& b) { return a.kind < b.kind; });
    return std::move(m_findings);
}

namespace {

// Of cues on one frame, the first that opens the mouth, else the first.
std::vector<Cue> openingWins(std::span<const TimedCue> timed, double framesPerSecond,
                             double shift) {
    std::vector<Cue> cues;
    cues.reserve(timed.size());
    bool opening = false; // of the cue kept for the last frame
    for (const TimedCue& cue : timed) {
        const std::uint64_t frame = frameAtSeconds(cue.seconds + shift, framesPerSecond);
        if (cues.empty() || frame != cues.back().frame) {
            cues.push_back({frame, cue.name, cue.place});
            opening = !cue.closing;
        } else if (!opening && !cue.closing) {
            cues.back() = {frame, cue.name, cue.place};
            opening = true;
        }
    }
    return cues;
}

} // namespace

std::vector<Cue> cuesAt(std::span<const TimedCue> timed, double framesPerSecond,
                        SameFrame sameFrame, bool nearest) {
    // Half a frame later, the frame a cue falls in is the one it is nearest.
    const double shift = nearest ? 0.5 / framesPerSecond : 0;
    if (sameFrame == SameFrame::OpeningWins) {
        return openingWins(timed, framesPerSecond, shift);
    }
    std::vector<Cue> cues;
    cues.reserve(timed.size());
    std::uint64_t last = 0; // frames count from 1, so no cue is ever dropped as on it
    for (std::size_t i = 0; i < timed.size(); ++i) {
        std::uint64_t frame = frameAtSeconds(timed[i].seconds + shift, framesPerSecond);
        const bool closing = i + 1 == timed.size();
        if (frame == last) {
            if (!closing) {
                continue; // the first cue on a frame wins
            }
            ++frame; // the end of the take always gets its frame
        }
        cues.push_back({frame, timed[i].name, timed[i].place});
        last = frame;
    }
    return cues;
}

std::vector<Cue> takeCues(const Take& take, std::size_t voice, double framesPerSecond) {
    if (take.timedInSeconds()) {
        return cuesAt(take.timed, framesPerSecond, take.sameFrame, take.nearestFrames);
    }
    return take.voices[voice < take.voices.size() ? voice : 0].cues;
}

std::string datText(std::span<const Cue> cues) {
    return datTimingText(cues, TimingTextStyle{});
}

std::vector<Finding> takeFindings(const Take& take, const FrameRate& rate) {
    std::vector<Finding> findings = take.findings;
    if (take.framesPerSecond &&
        std::abs(*take.framesPerSecond - framesPerSecond(rate)) > 1e-9 * *take.framesPerSecond) {
        findings.push_back({Finding::Kind::FrameRateDiffers,
                            {},
                            take.framesPerSecondText,
                            Finding::Hint::None,
                            {},
                            {}});
    }
    return findings;
}

TimingReport checkTakeCues(const Take& take, std::span<const Cue> cues) {
    TimingChecker checker(take.letters);
    for (const Cue& cue : cues) {
        checker.feedCue(cue.place.line, cue.frame, cue.name);
    }
    TimingReport report = checker.finish();
    // A reader's finding already names what went wrong with an empty take.
    if (!take.findings.empty()) {
        std::erase_if(report.findings,
                      [](const Finding& f) { return f.kind == Finding::Kind::NoCues; });
    }
    return report;
}

TimingReport checkCues(const Take& take, std::span<const Cue> cues, const FrameRate& rate) {
    TimingReport checked = checkTakeCues(take, cues);
    TimingReport report;
    report.summary = checked.summary;
    report.findings = takeFindings(take, rate);
    report.findings.insert(report.findings.end(), std::make_move_iterator(checked.findings.begin()),
                           std::make_move_iterator(checked.findings.end()));
    return report;
}

} // namespace mouthkey
