#pragma once

#include "conversion/CleanUp.h"
#include "conversion/KeyframeTrack.h"
#include "conversion/Take.h"
#include "conversion/Targets.h"
#include "conversion/TimingCheck.h"
#include "conversion/TimingWriting.h"
#include "textinput/TimingFormats.h"
#include "textinput/TimingSave.h"

#include <QString>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

// What the window knows about the take it has loaded, read once and kept
// together: where it came from, what the checks found in it and its track.
struct LoadedTiming {
    QString source; // the file's name
    TimingReport report;
    QString notice;       // how the text was read, where that was a guess; else empty
    bool letters = false; // letter mouth shapes are read by their chart, for the report too
    const TimingFormat* format = &defaultFormat();
    // For any format but .dat: what its reader made of it, from which the
    // cues are taken again at each rate and for each voice.
    std::shared_ptr<const Take> take;
    std::size_t voice = 0;
    // A take's cues for the current choices, at the places they were read
    // from; a .dat text's only once they are asked for, to be edited.
    std::vector<Cue> cues;
    // The cues have been edited: they, not the file, are the take now, in
    // frames whatever the file was timed in.
    bool edited = false;
    // Timed from the speech of the sound file loaded: the take is in no
    // timing file yet, and a save must not write over the sound.
    bool timedFromSound = false;
    // Applied to a take's cues each time they are read at a rate.
    CleanUpRules cleanUp;
    // How the file's text was written, for a save to write it alike.
    TimingTextStyle style;
    TextEncoding encoding;
    KeyframeTrack track;

    // A take timed in seconds, whose frames follow the rate.
    bool timedInSeconds() const { return take && take->timedInSeconds(); }
};

// Reads the loaded take for the current choices: a take's cues at `rate`, or
// a .dat file's text, `datText`, as it stands; edited cues stay as they are.
// Its report and track follow.
void readAgain(LoadedTiming& loaded, std::string_view datText, const FrameRate& rate);

// "Rhubarb TSV, re-timed at each rate" or "Papagayo-NG project at 24 fps,
// voice 'Bob' (2 of 3)": how a take in another format than .dat was read;
// empty for .dat.
QString readingNotice(const LoadedTiming& loaded);

// A status message and whether it warns.
struct ConvertMessage {
    QString text;
    bool warning = false;
};

// What a conversion wrote, and for which choices.
struct ConvertFacts {
    qsizetype keyframes = 0; // key lines, hold steps among them
    // Of those, the hold steps, for a document that holds each mouth.
    std::optional<std::uint64_t> holdSteps;
    int setIndex = 0;
    FrameRate rate;
    Target target = Target::Position;
    // The take's findings for those choices, as the window lists them.
    std::span<const Finding> findings;
    // The take copied holds edits its file does not.
    bool unsaved = false;
};

// What the window says after a conversion: how many keys were copied (the
// cues and the hold steps apart), from where (a project's voice too) and
// with which choices, and what the findings say.
ConvertMessage convertStatus(const ConvertFacts& facts, const std::optional<LoadedTiming>& loaded);

} // namespace mouthkey
