#include "cli/ConvertJob.h"

#include "cli/DocumentOutput.h"
#include "conversion/DatDocument.h"
#include "conversion/FrameTime.h"
#include "conversion/Targets.h"
#include "conversion/TimingWriting.h"
#include "textinput/FileBytes.h"
#include "textinput/MouthChartFile.h"
#include "textinput/SoundFiles.h"
#include "textinput/TakeReading.h"
#include "textinput/TextDecoding.h"
#include "textinput/Utf8Text.h"

#include "SoundTake.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace mouthkey {

namespace {

// Where a .dat text comes from: its bytes decoded in chunks, or a text
// already decoded to tell its format, handed to the document.
using DatSource = std::function<std::optional<IoError>(DatDocument&, EncodingGuess*)>;

// Opens the output and writes a document into it through `write`, which
// returns what the conversion found; a staged output is handed back unplaced.
// A strict run writes while it checks, and its output receives nothing
// unless the checks found no problem (advice is none): the text is read once
// for each.
StagedConversion writeStaged(
    const ConvertRequest& request, const SharedSync* sharedSync, ConversionResult result,
    const std::function<std::optional<IoError>(DocumentOutput&, ConversionResult&)>& write) {
    auto output = std::make_unique<DocumentOutput>(request.output, sharedSync);
    DocumentOutput& out = *output;
    const bool strict = request.checks == ConvertRequest::Checks::Strict;
    if (strict) {
        out.holdUntilCommit();
    }
    if (auto error = out.open()) {
        result.error = error;
        return {result, nullptr};
    }
    if ((result.error = write(out, result))) {
        return {result, nullptr};
    }
    if (strict &&
        (problemCount(result.report.findings) > 0 || problemCount(result.chartFindings) > 0)) {
        result.refused = true;
        return {result, nullptr}; // never committed: left as it was
    }
    result.error = out.commit();
    if (result.error || !out.awaitsPlace()) {
        return {result, nullptr};
    }
    return {result, std::move(output)};
}

// Large chunks keep the number of write calls small on big files. A small
// file's document, a few times its size, fits a smaller buffer: clearing 1 MiB
// for each of hundreds of small files costs more than converting them.
std::size_t outputChunkSize(qsizetype inputSize) {
    return std::clamp<std::size_t>(4 * static_cast<std::size_t>(inputSize), 64 << 10, 1 << 20);
}

// Writes a document: to the sink, or without one for its findings alone.
// With `checks` the input's own checks run as it is written; every finding
// goes into the result's report.
using DocumentWrite =
    std::function<std::optional<IoError>(const ChunkSink* sink, bool checks, ConversionResult&)>;

// The one way from an input to its document: only its findings for --check,
// else written to the output, which a strict run holds until they are in.
StagedConversion stageDocument(const ConvertRequest& request, const SharedSync* sharedSync,
                               ConversionResult result, const DocumentWrite& write) {
    using Checks = ConvertRequest::Checks;
    if (request.checks == Checks::Only) {
        result.error = write(nullptr, true, result);
        return {result, nullptr};
    }
    return writeStaged(
        request, sharedSync, std::move(result), [&](DocumentOutput& out, ConversionResult& r) {
            const ChunkSink sink = [&out](std::string_view chunk) {
                out.write(chunk);
            };
            // Quiet warnings would be thrown away, so they are not
            // looked for; a strict run needs them.
            return write(&sink, !request.quiet || request.checks == Checks::Strict, r);
        });
}

// A .dat text's document, checked as it is written; how is the core's choice.
StagedConversion stageDat(const ConvertRequest& request, const SharedSync* sharedSync,
                          ConversionResult seed, const TargetChoices& choices,
                          const DatSource& source, qsizetype inputSize) {
    return stageDocument(request, sharedSync, std::move(seed),
                         [&](const ChunkSink* sink, bool checks, ConversionResult& result) {
                             std::optional<DatDocument> document;
                             if (sink) {
                                 document.emplace(choices, *sink, checks,
                                                  outputChunkSize(inputSize));
                             } else {
                                 document.emplace(choices);
                             }
                             if (auto error = source(*document, &result.guess)) {
                                 return error;
                             }
                             DatDocumentResult written = document->finish();
                             if (checks) {
                                 result.report = std::move(written.report);
                             }
                             result.cleaned = written.cleaned;
                             return std::optional<IoError>();
                         });
}

// The chart a Time Remap or Slider Control document is drawn by: the file
// --chart names, or else a mouth chart file beside the input; nothing for
// the set's own.
std::optional<MouthChart> loadChart(const ConvertRequest& request, ConversionResult& result) {
    std::optional<QString> path = request.chart;
    if (!path && request.input) {
        path = mouthChartBeside(*request.input);
        result.chartBeside = path.has_value();
    }
    if (!path) {
        return std::nullopt;
    }
    result.chartFile = path;
    ChartFile file = readMouthChartFile(*path, SourceKinds::FilesAndPipes);
    if (file.error) {
        result.error = file.error;
        result.chartFailed = true;
        return std::nullopt;
    }
    result.chartFindings = std::move(file.findings);
    return std::move(file.chart);
}

// A take's cues written as a target's document, with what writing it
// leaves out joining the checks' findings.
StagedConversion stageCues(const ConvertRequest& request, const SharedSync* sharedSync,
                           ConversionResult result, const TargetChoices& choices,
                           std::span<const Cue> cues) {
    // The take's checks are in the report already; what writing leaves out joins them.
    return stageDocument(request, sharedSync, std::move(result),
                         [&](const ChunkSink* sink, bool, ConversionResult& to) {
                             const TargetResult written = writeTargetDocument(
                                 cues, choices, sink ? *sink : ChunkSink([](std::string_view) {}));
                             to.report.findings = targetFindings(std::move(to.report.findings),
                                                                 written.findings, choices);
                             to.cleaned = written.cleaned;
                             return std::optional<IoError>();
                         });
}

// The text of a take in the request's timing format: a .dat input's header
// and any input's line ends kept, seconds at the request's rate.
TimingTextStyle timingStyle(const ConvertRequest& request, const TimingFormat& from,
                            std::string_view text) {
    TimingTextStyle style = styleOfText(text, from);
    style.framesPerSecond = framesPerSecond(request.rate);
    return style;
}

// A take's cues written as the request's timing format; its checks are in
// the report already, and the text leaves nothing of the cues out.
StagedConversion stageTimingText(const ConvertRequest& request, const SharedSync* sharedSync,
                                 ConversionResult result, std::span<const Cue> cues,
                                 const TimingTextStyle& style, bool letters) {
    CleanUpRules rules = request.cleanUp;
    rules.letters = letters;
    CleanUpResult cleaned;
    if (rules.any()) {
        cleaned = cleanUp(cues, rules);
        cues = cleaned.cues;
        result.cleaned = cleaned.effects;
    }
    return stageDocument(request, sharedSync, std::move(result),
                         [&](const ChunkSink* sink, bool, ConversionResult&) {
                             if (sink) {
                                 (*sink)(request.timingTarget->write(cues, style));
                             }
                             return std::optional<IoError>();
                         });
}

// Every voice of a project checked, from the one reading of its file: each
// as checking it with --voice would, but for the findings about the file as
// a whole, which the result's report holds once.
ConversionResult checkEveryVoice(const ConvertRequest& request, ConversionResult result,
                                 const Take& take, const std::optional<MouthChart>& chart) {
    const TargetChoices choices = targetChoices(request, take.letters || request.letters, chart);
    for (std::size_t i = 0; i < take.voices.size(); ++i) {
        const std::vector<Cue> cues = takeCues(take, i, framesPerSecond(request.rate));
        ConversionResult voice = result;
        voice.voice = i;
        voice.report = checkTakeCues(take, cues);
        // With what writing the target would leave out.
        const TargetResult written = writeTargetDocument(cues, choices, [](std::string_view) {});
        voice.report.findings =
            targetFindings(std::move(voice.report.findings), written.findings, choices);
        result.voiceReports.push_back(std::move(voice.report));
        result.voiceCleaned.push_back(written.cleaned);
    }
    result.report = {};
    result.report.findings = takeFindings(take, request.rate);
    return result;
}

StagedConversion stageReadTake(const ConvertRequest& request, const SharedSync* sharedSync,
                               ConversionResult result, Take take, const TimingTextStyle& style,
                               const std::optional<MouthChart>& chart);

// A text in another format: read whole, its cues taken at the request's rate
// and converted as their .dat text, or written as the target's document.
StagedConversion stageTake(const ConvertRequest& request, const SharedSync* sharedSync,
                           const QByteArray& bytes, ConversionResult result,
                           const std::optional<MouthChart>& chart) {
    DecodedText decoded = decodeToUtf8(bytes);
    result.guess = decoded.guess;
    if (decoded.error) {
        result.error = decoded.error;
        return {result, nullptr};
    }
    const auto format =
        request.from ? request.from : detectFormat(decoded.text, request.input.value_or(QString()));
    if (!format) {
        result.error = unknownFormatError();
        return {result, nullptr};
    }
    result.format = format;
    // A take written as a timing file is read whole, a .dat text too.
    std::optional<Take> take = request.timingTarget ? std::optional(format->read(decoded.text))
                                                    : readTake(*format, decoded.text);
    if (!take) {
        const EncodingGuess guess = decoded.guess;
        const std::string text = std::move(decoded.text);
        return stageDat(
            request, sharedSync, std::move(result), targetChoices(request, request.letters, chart),
            [&](DatDocument& document, EncodingGuess* guessed) {
                *guessed = guess;
                document.feedLasting(text);
                return std::optional<IoError>();
            },
            bytes.size());
    }
    return stageReadTake(request, sharedSync, std::move(result), *take,
                         timingStyle(request, *format, decoded.text), chart);
}

// A take read whole: its voice chosen, its cues at the request's rate,
// checked, and written as the target's document or as a timing text.
StagedConversion stageReadTake(const ConvertRequest& request, const SharedSync* sharedSync,
                               ConversionResult result, Take take, const TimingTextStyle& style,
                               const std::optional<MouthChart>& chart) {
    using Checks = ConvertRequest::Checks;
    // --letters reads the names by the letters' chart in the checks too, as
    // the document does.
    take.letters = take.letters || request.letters;
    const VoiceChoice voice = chooseVoice(take, request.voice);
    if (voice.error) {
        result.error = voice.error;
        return {result, nullptr};
    }
    for (const TakeVoice& v : take.voices) {
        result.voices << toQString(v.name);
    }
    result.voice = voice.index;
    if (request.checks == Checks::Only && !request.voice && take.voices.size() > 1) {
        return {checkEveryVoice(request, std::move(result), take, chart), nullptr};
    }
    const std::vector<Cue> cues = takeCues(take, voice.index, framesPerSecond(request.rate));
    result.report = checkCues(take, cues, request.rate);
    if (request.timingTarget) {
        return stageTimingText(request, sharedSync, std::move(result), cues, style, take.letters);
    }
    return stageCues(request, sharedSync, std::move(result),
                     targetChoices(request, take.letters || request.letters, chart), cues);
}

// A take held at least two frames a mouth has none shown for one: the
// checks' advice about the take as read is what the rules mended.
void leaveOutMended(ConversionResult& result, const CleanUpRules& rules) {
    if (rules.minHold < 2 && rules.onEvery < 2) {
        return;
    }
    const auto mended = [](const Finding& f) {
        return f.kind == Finding::Kind::SingleFrameMouths;
    };
    std::erase_if(result.report.findings, mended);
    for (TimingReport& report : result.voiceReports) {
        std::erase_if(report.findings, mended);
    }
}

// A sound, timed: its take as any other's, held two frames a mouth unless
// the request says otherwise.
StagedConversion stageSound(const ConvertRequest& request, const SharedSync* sharedSync,
                            ConversionResult result, const std::optional<MouthChart>& chart) {
    TimedSound timed = timeSoundFile(request);
    if (timed.error) {
        result.error = timed.error;
        return {result, nullptr};
    }
    ConvertRequest held = request;
    if (held.cleanUp.minHold == 0) {
        held.cleanUp.minHold = 2;
    }
    result.cleanUp = held.cleanUp;
    result.soundReading = timed.script
                              ? QStringLiteral("sound, timed by the script '%1'").arg(*timed.script)
                              : QStringLiteral("sound, timed without a script");
    result.soundNotes = std::move(timed.notes);
    TimingTextStyle style;
    style.framesPerSecond = framesPerSecond(request.rate);
    return stageReadTake(held, sharedSync, std::move(result), std::move(*timed.take), style, chart);
}

StagedConversion stageInput(const ConvertRequest& request, const SharedSync* sharedSync) {
    // The whole input is read before the output is touched, so converting a
    // file onto itself is safe.
    // A sound is timed from its file, which its first bytes tell: it is not
    // read whole here, as the recognizer reads it again.
    const bool sound =
        request.fromSound || (!request.from && request.input && fileOpensAsSound(*request.input));
    const FileBytes in = sound           ? FileBytes()
                         : request.input ? readFileBytes(*request.input, SourceKinds::FilesAndPipes)
                                         : readStandardInput();
    if (in.error) {
        ConversionResult failed;
        failed.error = in.error;
        return {failed, nullptr};
    }
    // A .dat text streams from its bytes, as ever; only a text that may be
    // another format is held whole to be told.
    const bool dat =
        !request.timingTarget &&
        (request.from ? request.from->streams : !mayBeOtherThanDat(textStart(in.bytes)));
    ConversionResult seed;
    seed.cleanUp = request.cleanUp;
    std::optional<MouthChart> chart;
    if (usesChart(request.target)) {
        chart = loadChart(request, seed);
        if (seed.error) {
            return {seed, nullptr};
        }
    }
    // Standard input and pipes are told by the bytes read.
    if (sound || (!request.from && opensAsSound(in.bytes))) {
        return stageSound(request, sharedSync, std::move(seed), chart);
    }
    if (!dat) {
        return stageTake(request, sharedSync, in.bytes, std::move(seed), chart);
    }
    // A UTF-8 file's text is its bytes, handed out whole, which stay until
    // the document is written: read in place.
    const QByteArrayView raw(in.bytes);
    return stageDat(
        request, sharedSync, std::move(seed), targetChoices(request, request.letters, chart),
        [&](DatDocument& document, EncodingGuess* guess) {
            return decodeToUtf8Chunks(
                in.bytes,
                [&](std::string_view chunk) {
                    if (chunk.data() >= raw.data() &&
                        chunk.data() + chunk.size() <= raw.data() + raw.size()) {
                        document.feedLasting(chunk);
                    } else {
                        document.feed(chunk);
                    }
                },
                guess);
        },
        in.bytes.size());
}

} // namespace

StagedConversion stageConversion(const ConvertRequest& request, const SharedSync* sharedSync) {
    StagedConversion staged = stageInput(request, sharedSync);
    leaveOutMended(staged.result, staged.result.cleanUp);
    return staged;
}

ConversionResult runConversion(const ConvertRequest& request) {
    return stageConversion(request, nullptr).result;
}

} // namespace mouthkey
