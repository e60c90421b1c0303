#pragma once

#include "cli/CommandLine.h"
#include "cli/DocumentOutput.h"
#include "conversion/TimingCheck.h"
#include "textinput/IoError.h"
#include "textinput/TextDecoding.h"
#include "textinput/TimingFormats.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace mouthkey {

struct ConversionResult {
    std::optional<IoError> error;
    // What the checks found; complete whenever the input was read and decoded.
    TimingReport report;
    // A check of a project of several voices, with no --voice to pick one,
    // checks each: here each voice's summary and findings, in the project's
    // order, and in `report` only the findings about the file as a whole.
    std::vector<TimingReport> voiceReports;
    // The checks found something and the request was strict: nothing was written.
    bool refused = false;
    // How the input was read, where that was a guess: said, but never a finding.
    EncodingGuess guess = EncodingGuess::None;
    // The format it was read as, and for a project its voices and the one read.
    const TimingFormat* format = &defaultFormat();
    QStringList voices;
    std::size_t voice = 0;
    // The mouth chart file a Time Remap or Slider Control document was drawn
    // by, and whether it was found beside the input rather than given.
    std::optional<QString> chartFile;
    bool chartBeside = false;
    // What reading that chart found: warnings about the chart, not the input.
    std::vector<Finding> chartFindings;
    // The error is about the chart file, not the input.
    bool chartFailed = false;
    // What the clean-up rules did to the take; for each voice checked, in
    // `voiceCleaned` beside `voiceReports`.
    CleanUpEffects cleaned;
    std::vector<CleanUpEffects> voiceCleaned;
    // The rules the take passed: the request's, but for a sound's default hold.
    CleanUpRules cleanUp;
    // For a take timed from its sound: how ("sound, timed with the script
    // 'take.txt'"), and what timing it found to say.
    QString soundReading;
    QStringList soundNotes;
};

// One note for each rule that changed the take: "clean-up: 14 cues dropped
// by --min-hold 2 (lines 4, 9, 12, …), 3 closed mouths moved earlier".
QStringList cleanUpNotes(const CleanUpEffects& effects, const CleanUpRules& rules);

// "Rhubarb TSV", or for a project of several voices "Papagayo-NG project,
// voice 'Bob' (2 of 3)".
QString readingText(const ConversionResult& result);

// Reads the request's input, checks it and, unless it only checks, converts
// it and writes the document. Nothing partial is left behind: standard output
// receives nothing unless the input was read and decoded (and, when strict,
// found clean), and an output file is replaced only on success.
ConversionResult runConversion(const ConvertRequest& request);

// runConversion for a batch that syncs its files together: with a shared
// sync, an output file's document is left written but unplaced (neither
// synced nor in place) in `unplaced`, to be placed once the batch has synced.
// Without one, or for a file it cannot cover, it is the same as runConversion.
// The input and the conversion's buffers are gone once it returns.
struct StagedConversion {
    ConversionResult result;
    std::unique_ptr<DocumentOutput> unplaced;
};
StagedConversion stageConversion(const ConvertRequest& request, const SharedSync* sharedSync);

// The status a conversion exits with: a missing part is the installation's
// fault, as a wrong command line is, not the file's.
ExitCode exitCodeOf(const ConversionResult& result);

// How the converter names the request's input in messages: 'take1.dat', or
// standard input.
QString inputName(const ConvertRequest& request);

// One line naming the file the error is about (the request's input, or its
// output for a write error) and the cause.
QString describeFailure(const IoError& error, const ConvertRequest& request);
// The same for a result's error, which may be about its chart file.
QString describeFailure(const ConversionResult& result, const ConvertRequest& request);

// A finding as one line after the input's name, with what happens to its
// lines: "unknown phoneme 'ai' on 3 lines (4, 40, 41): pasted unchanged; did
// you mean 'AI'?". A mouth chart's findings are about the chart, and have none.
QString describeFinding(const Finding& finding, bool withOutcome = true);

// The lines a conversion leaves for standard error, without the program's
// name: a note on how it was read and its warnings (none when quiet), then
// why it failed or was refused.
// Empty when it went through without a word.
QStringList messageLines(const ConversionResult& result, const ConvertRequest& request);

} // namespace mouthkey
