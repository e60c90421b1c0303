// Fuzzes the reader of label tracks: any text gives a seconds-timed take whose
// cues keep the label rules at every rate, whose .dat text converts to one
// keyframe a cue, and whose checks keep the reader's findings; a text the
// label probe claims is told as a label track, whatever its name.
#include "FuzzCheck.h"

#include "conversion/DocumentWriter.h"
#include "conversion/LabelTrack.h"
#include "conversion/MappingTables.h"
#include "conversion/RhubarbTsv.h"
#include "conversion/Take.h"
#include "conversion/TimingCheck.h"
#include "textinput/TimingFormats.h"

#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace mouthkey;
using mouthkey::fuzz::check;

namespace {

// 1 + floor(t * fps), as the take's cues land.
std::uint64_t frameOf(double seconds, double framesPerSecond) {
    return 1 + static_cast<std::uint64_t>(std::floor(seconds * framesPerSecond));
}

void checkCuesAt(const Take& take, double framesPerSecond) {
    const std::vector<Cue> cues = takeCues(take, 0, framesPerSecond);
    check(cues.size() <= take.timed.size(), "more cues than timed cues");
    for (std::size_t i = 0; i < cues.size(); ++i) {
        check(cues[i].frame >= 1, "a frame before the first");
        check(i == 0 || cues[i].frame > cues[i - 1].frame, "cues out of frame order");
    }
    // Of the cues on a frame, the first label wins, else the first closing cue.
    for (const Cue& cue : cues) {
        const TimedCue* winner = nullptr;
        for (const TimedCue& timed : take.timed) {
            if (frameOf(timed.seconds, framesPerSecond) == cue.frame &&
                (winner == nullptr || (winner->closing && !timed.closing))) {
                winner = &timed;
            }
        }
        check(winner != nullptr && winner->name == cue.name && winner->place == cue.place,
              "another cue than the first label won its frame");
    }
    std::string dat = datText(cues);
    DocumentWriter writer(buildMapping(0, take.letters), FrameRate(0), [](std::string_view) {});
    writer.feed(dat);
    writer.finish();
    check(writer.keyframeCount() == cues.size(), "the document has other keyframes than cues");
    const TimingReport report = checkCues(take, cues, FrameRate(0));
    check(std::equal(take.findings.begin(), take.findings.end(), report.findings.begin(),
                     report.findings.begin() +
                         static_cast<std::ptrdiff_t>(
                             std::min(report.findings.size(), take.findings.size()))) &&
              report.findings.size() >= take.findings.size(),
          "the checks lost the reader's findings");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Take take = readLabelTrack(text);
    check(take.timedInSeconds() && take.sameFrame == SameFrame::OpeningWins,
          "a label track timed otherwise");
    const Take again = readLabelTrack(text);
    check(again.timed == take.timed && again.findings == take.findings &&
              again.letters == take.letters,
          "the same text read as another take");
    const std::string closed = take.letters ? "X" : "rest";
    for (std::size_t i = 0; i < take.timed.size(); ++i) {
        const TimedCue& cue = take.timed[i];
        check(std::isfinite(cue.seconds) && cue.seconds >= 0, "a time no frame can hold");
        check(!cue.name.empty() && rhubarb::fitsDatLine(cue.name), "a name no .dat line can hold");
        check(cue.name.front() != ' ' && cue.name.back() != ' ', "a label left untrimmed");
        check(cue.place.line >= 1 && cue.place.column >= 1, "a cue placed nowhere");
        check(i == 0 || take.timed[i - 1].seconds <= cue.seconds, "cues out of time order");
        check(!cue.closing || cue.name == closed, "a closing cue of another name");
        check(cue.closing || !take.letters ||
                  std::any_of(letterShapes.begin(), letterShapes.end(),
                              [&](const LetterShape& s) { return s.letter == cue.name; }),
              "letters that are not all letters");
        // A label starting where a region ends keeps it open.
        check(!cue.closing || std::none_of(take.timed.begin(), take.timed.end(),
                                           [&](const TimedCue& other) {
                                               return !other.closing &&
                                                      other.seconds == cue.seconds;
                                           }),
              "a closing cue at a label's start");
    }
    for (const Finding& f : take.findings) {
        check(f.lines.count >= 1 && f.lines.first[0] >= 1, "a finding on no line");
    }
    // Times far beyond any take only saturate; a few rates are enough.
    const bool sane = std::all_of(take.timed.begin(), take.timed.end(),
                                  [](const TimedCue& c) { return c.seconds < 1e12; });
    if (sane) {
        for (const double rate : {24.0, 25.0, 29.97, 1000.0}) {
            checkCuesAt(take, rate);
        }
    }
    if (QByteArrayView(text).isValidUtf8() && labelTrackFit(text) == Fit::Yes) {
        for (const char* name : {"take.txt", "take.tsv", "take.dat", ""}) {
            const TimingFormat* told = detectFormat(text, QString::fromUtf8(name));
            check(told != nullptr && told->read == readLabelTrack,
                  "a label track told as another format");
        }
    }
    return 0;
}
