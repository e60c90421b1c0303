#pragma once

#include "conversion/CleanUp.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/Take.h"
#include "conversion/Targets.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace mouthkey {

// The converter's exit statuses.
enum class ExitCode : int {
    Success = 0,
    FileError = 1,  // a file could not be read, decoded or written, or its checks failed
    UsageError = 2, // an unknown option, set or rate, inputs that clash, or an output that
                    // would replace an input; or what timing a sound needs is not installed
};

// --check follows cmp: 0 when every file is clean, 1 when the checks found
// something, 2 when a file could not be read or decoded (or the usage is wrong).
enum class CheckExitCode : int {
    Clean = 0,
    Findings = 1,
    Trouble = 2,
};

struct ConvertRequest {
    // What the checks of the timing text lead to.
    enum class Checks {
        Warn,   // warnings on standard error; the document is still written
        Strict, // any warning refuses the file: nothing is written
        Only,   // the summary and the findings on standard output, and no document
    };

    int setIndex = 0;
    FrameRate rate;
    std::optional<QString> input;  // a path, or nothing for standard input
    std::optional<QString> output; // a path, or nothing for standard output
    Checks checks = Checks::Warn;
    bool quiet = false;               // no warnings on standard error
    bool letters = false;             // letter mouth shapes read by their chart, for the checks too
    const TimingFormat* from{};       // the input's format; told by its text when missing
    std::optional<QString> voice;     // a project's voice, by name or index from 1
    Target target = Target::Position; // what the document animates
    // Instead of a document, the take itself in this format, one whose row
    // writes: its cues at the request's rate, read back to the same cues.
    const TimingFormat* timingTarget{};
    // The mouth chart file for Time Remap and Slider Control; without it, a
    // mouth-chart.txt beside the input, or the set's chart.
    std::optional<QString> chart;
    std::optional<bool> hold; // hold steps; nothing: the target's default
    std::int64_t offset = 0;  // added to every frame
    // The rules the take's cues pass before any target; letters as read.
    // A min-hold of 0 is one not given: a take timed from its sound then
    // holds each mouth two frames, and any other keeps every cue.
    CleanUpRules cleanUp{0, 0};
    // The input is a sound, to be timed (--from sound); a sound is also told by its bytes.
    bool fromSound = false;
    // The dialogue's text, for a sound; without it, a prose NAME.txt beside the sound.
    std::optional<QString> script;
};

// The target choices of a request, letters read as `letters` says.
TargetChoices targetChoices(const ConvertRequest& request, bool letters,
                            std::optional<MouthChart> chart = std::nullopt);

// The extension, without its dot, of the files a request writes: the timing
// target's own, else "txt".
std::string_view outputExtension(const ConvertRequest& request);

// Several inputs, each converted into its own file in one folder.
struct BatchRequest {
    QStringList inputs;
    QString outputDir;
    int jobs = 0; // files converted at once; 0 for one per core
};

struct CommandLine {
    enum class Action {
        Convert,
        ConvertToFolder,
        Check,
        ShowHelp,
        ShowVersion,
        ListChoices,
        PrintChart, // the chosen set's chart, in the chart file format
        Reject
    };

    Action action = Action::Convert;
    // For ConvertToFolder only its set and rate apply; for Check, all but
    // its input.
    ConvertRequest request;
    // The help text for ShowHelp; for Reject, one line naming the option and
    // what is wrong with it.
    QString message;
    // The inputs, folder and jobs for ConvertToFolder.
    BatchRequest batch = {};
    // The files to Check, in order; nothing stands for standard input.
    std::vector<std::optional<QString>> checkInputs = {};
};

// "Usage: mouthkey-convert [--set SET] ...", one line per form, without a
// line end after the last.
QString usageLine();

// Reads the converter's arguments, program name first. Never exits and
// prints nothing: the caller decides what each outcome writes where.
// The help text needs a QCoreApplication.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace mouthkey
