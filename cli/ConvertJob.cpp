#include "cli/ConvertJob.h"

#include "cli/DocumentOutput.h"
#include "conversion/DocumentWriter.h"
#include "conversion/Targets.h"
#include "textinput/FileBytes.h"
#include "textinput/MouthChartFile.h"
#include "textinput/TakeReading.h"
#include "textinput/TextDecoding.h"
#include "textinput/Utf8Text.h"

#include <QThread>

#include <algorithm>
#include <functional>
#include <memory>

namespace mouthkey {

namespace {

// Below this a second thread costs more than the checks it would take over.
constexpr std::size_t checkAlongsideFrom = 4 << 20;

// Where a .dat text comes from: its bytes decoded in chunks, or a text
// already decoded to tell its format.
using TextSource = std::function<std::optional<IoError>(const ChunkSink&, EncodingGuess*)>;

ConversionResult checkOnly(const TextSource& source, bool letters) {
    ConversionResult result;
    TimingChecker checker(letters);
    result.error = source([&](std::string_view text) { checker.feed(text); }, &result.guess);
    result.report = checker.finish();
    return result;
}

// Opens the output and writes a document into it through `write`, which
// returns what the conversion found; a staged output is handed back unplaced.
StagedConversion writeStaged(
    const ConvertRequest& request, const SharedSync* sharedSync, ConversionResult result,
    const std::function<std::optional<IoError>(DocumentOutput&, ConversionResult&)>& write) {
    auto output = std::make_unique<DocumentOutput>(request.output, sharedSync);
    DocumentOutput& out = *output;
    if (auto error = out.open()) {
        result.error = error;
        return {result, nullptr};
    }
    if ((result.error = write(out, result))) {
        return {result, nullptr};
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

StagedConversion stageDat(const ConvertRequest& request, const SharedSync* sharedSync,
                          const TextSource& source, qsizetype inputSize) {
    using Checks = ConvertRequest::Checks;
    // A strict run must know the findings before anything is written.
    if (request.checks == Checks::Only || request.checks == Checks::Strict) {
        ConversionResult checked = checkOnly(source, request.letters);
        if (checked.error || request.checks == Checks::Only) {
            return {checked, nullptr};
        }
        if (!checked.report.findings.empty()) {
            checked.refused = true;
            return {checked, nullptr};
        }
    }
    return writeStaged(request, sharedSync, {}, [&](DocumentOutput& out, ConversionResult& result) {
        // Quiet warnings would be thrown away, so they are not looked for.
        const bool checking = !request.quiet;
        TimingChecker checker(request.letters);
        DocumentWriter writer(
            buildMapping(request.setIndex, request.letters), request.rate,
            [&out](std::string_view chunk) { out.write(chunk); }, outputChunkSize(inputSize));
        // Each decoded chunk is checked while it is converted: on a second
        // thread when it is large (a UTF-8 file arrives as one chunk), so that
        // the checks take no time of their own.
        const auto convert = [&](std::string_view text) {
            if (!checking || text.size() < checkAlongsideFrom) {
                if (checking) {
                    checker.feed(text);
                }
                writer.feed(text);
                return;
            }
            const std::unique_ptr<QThread> checks(QThread::create([&] { checker.feed(text); }));
            checks->start();
            writer.feed(text);
            checks->wait();
        };
        if (auto error = source(convert, &result.guess)) {
            return error;
        }
        writer.finish();
        if (checking) {
            result.report = checker.finish();
        }
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

// Cues written as a target's document, with what writing it leaves out
// joining the checks' findings.
// Hands a text's cues, in file order, to a writer; the data lines of other
// shapes go to the sample.
using CueFeed = std::function<void(TargetWriter&, LineSample& others)>;

// The document of a target the fast path does not write, from cues: with
// `checks`, the text's own checks run beside the writing, on a second thread
// when the text is large, and their report leads the findings.
StagedConversion stageCues(const ConvertRequest& request, const SharedSync* sharedSync,
                           ConversionResult result, const TargetChoices& choices,
                           const CueFeed& feed, const std::function<TimingReport()>& checks,
                           std::size_t textSize) {
    using Checks = ConvertRequest::Checks;
    // Writes the document to the sink while the checks run, and gathers
    // every finding in the report.
    const auto write = [&](const ChunkSink& sink, ConversionResult& to) {
        TimingReport checked;
        std::unique_ptr<QThread> alongside;
        if (checks && textSize >= checkAlongsideFrom) {
            alongside.reset(QThread::create([&] { checked = checks(); }));
            alongside->start();
        } else if (checks) {
            checked = checks();
        }
        TargetWriter writer(choices, sink);
        LineSample others;
        feed(writer, others);
        TargetResult written = writer.finish();
        if (alongside) {
            alongside->wait();
        }
        if (checks) {
            to.report = std::move(checked);
        }
        std::vector<Finding> leftOut;
        if (others.count > 0) {
            leftOut.push_back(linesLeftOut(others));
        }
        leftOut.insert(leftOut.end(), std::make_move_iterator(written.findings.begin()),
                       std::make_move_iterator(written.findings.end()));
        to.report.findings =
            targetFindings(std::move(to.report.findings), std::move(leftOut), choices);
    };
    // A strict run must know the findings before anything is written.
    if (request.checks == Checks::Only || request.checks == Checks::Strict) {
        write([](std::string_view) {}, result);
        if (request.checks == Checks::Only) {
            return {result, nullptr};
        }
        if (!result.report.findings.empty() || !result.chartFindings.empty()) {
            result.refused = true;
            return {result, nullptr};
        }
    }
    return writeStaged(request, sharedSync, result, [&](DocumentOutput& out, ConversionResult& r) {
        ConversionResult written = r;
        write([&out](std::string_view chunk) { out.write(chunk); }, written);
        // Quiet warnings would be thrown away; a strict run has its findings.
        if (request.checks == Checks::Warn && !request.quiet) {
            r.report = std::move(written.report);
        }
        return std::optional<IoError>();
    });
}

// A .dat text for a target the fast path does not write: its cues read as
// they come, checked as ever.
StagedConversion stageDatCues(const ConvertRequest& request, const SharedSync* sharedSync,
                              ConversionResult result, std::string_view text,
                              const std::optional<MouthChart>& chart) {
    const bool checking = !request.quiet || request.checks != ConvertRequest::Checks::Warn;
    return stageCues(
        request, sharedSync, std::move(result), targetChoices(request, request.letters, chart),
        [&](TargetWriter& writer, LineSample& others) { writer.feedDat(text, others); },
        checking
            ? std::function<TimingReport()>([&] { return checkTimingText(text, request.letters); })
            : std::function<TimingReport()>(),
        text.size());
}

// Every voice of a project checked, from the one reading of its file: each
// as checking it with --voice would, but for the findings about the file as
// a whole, which the result's report holds once.
ConversionResult checkEveryVoice(const ConvertRequest& request, ConversionResult result,
                                 const Take& take, const std::optional<MouthChart>& chart,
                                 bool plain) {
    const TargetChoices choices = targetChoices(request, take.letters || request.letters, chart);
    for (std::size_t i = 0; i < take.voices.size(); ++i) {
        const std::vector<Cue> cues = takeCues(take, i, framesPerSecond(request.rate));
        ConversionResult voice = result;
        voice.voice = i;
        voice.report = checkTakeCues(take, cues);
        if (!plain) {
            // With what writing the target would leave out.
            voice = stageCues(
                        request, nullptr, std::move(voice), choices,
                        [&](TargetWriter& writer, LineSample&) {
                            for (const Cue& cue : cues) {
                                writer.feed(cue);
                            }
                        },
                        {}, cues.size())
                        .result;
        }
        result.voiceReports.push_back(std::move(voice.report));
    }
    result.report = {};
    result.report.findings = takeFindings(take, request.rate);
    return result;
}

// A text in another format: read whole, its cues taken at the request's rate
// and converted as their .dat text, or written as the target's document.
StagedConversion stageTake(const ConvertRequest& request, const SharedSync* sharedSync,
                           const QByteArray& bytes, ConversionResult result,
                           const std::optional<MouthChart>& chart, bool plain) {
    using Checks = ConvertRequest::Checks;
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
    const std::optional<Take> take = readTake(*format, decoded.text);
    if (!take && !plain) {
        return stageDatCues(request, sharedSync, std::move(result), decoded.text, chart);
    }
    if (!take) {
        const EncodingGuess guess = decoded.guess;
        const std::string text = std::move(decoded.text);
        return stageDat(
            request, sharedSync,
            [&](const ChunkSink& sink, EncodingGuess* guessed) {
                *guessed = guess;
                if (!text.empty()) {
                    sink(text);
                }
                return std::optional<IoError>();
            },
            bytes.size());
    }
    const VoiceChoice voice = chooseVoice(*take, request.voice);
    if (voice.error) {
        result.error = voice.error;
        return {result, nullptr};
    }
    for (const TakeVoice& v : take->voices) {
        result.voices << toQString(v.name);
    }
    result.voice = voice.index;
    if (request.checks == Checks::Only && !request.voice && take->voices.size() > 1) {
        return {checkEveryVoice(request, std::move(result), *take, chart, plain), nullptr};
    }
    const std::vector<Cue> cues = takeCues(*take, voice.index, framesPerSecond(request.rate));
    result.report = checkCues(*take, cues, request.rate);
    if (!plain) {
        return stageCues(
            request, sharedSync, std::move(result),
            targetChoices(request, take->letters || request.letters, chart),
            [&](TargetWriter& writer, LineSample&) {
                for (const Cue& cue : cues) {
                    writer.feed(cue);
                }
            },
            {}, cues.size());
    }
    if (request.checks == Checks::Only) {
        return {result, nullptr};
    }
    if (request.checks == Checks::Strict && !result.report.findings.empty()) {
        result.refused = true;
        return {result, nullptr};
    }

    const std::string dat = datText(cues);
    return writeStaged(request, sharedSync, result, [&](DocumentOutput& out, ConversionResult&) {
        DocumentWriter writer(
            buildMapping(request.setIndex, take->letters || request.letters), request.rate,
            [&out](std::string_view chunk) { out.write(chunk); }, outputChunkSize(bytes.size()));
        writer.feed(dat);
        writer.finish();
        return std::optional<IoError>();
    });
}

} // namespace

StagedConversion stageConversion(const ConvertRequest& request, const SharedSync* sharedSync) {
    // The whole input is read before the output is touched, so converting a
    // file onto itself is safe.
    const FileBytes in = request.input ? readFileBytes(*request.input, SourceKinds::FilesAndPipes)
                                       : readStandardInput();
    if (in.error) {
        ConversionResult failed;
        failed.error = in.error;
        return {failed, nullptr};
    }
    // A .dat text streams from its bytes, as ever; only a text that may be
    // another format is held whole to be told.
    const bool dat = request.from ? request.from->streams : !mayBeOtherThanDat(textStart(in.bytes));
    // Any new choice takes the cues; none keeps the .dat text's streaming path.
    const bool plain = targetChoices(request, request.letters).plainPosition();
    ConversionResult seed;
    std::optional<MouthChart> chart;
    if (request.target != Target::Position) {
        chart = loadChart(request, seed);
        if (seed.error) {
            return {seed, nullptr};
        }
    }
    if (!dat) {
        return stageTake(request, sharedSync, in.bytes, std::move(seed), chart, plain);
    }
    if (!plain) {
        // A UTF-8 file's text is its bytes, handed out whole: read in place.
        // Another encoding's chunks are gathered.
        std::string gathered;
        std::string_view text;
        const QByteArrayView raw(in.bytes);
        seed.error = decodeToUtf8Chunks(
            in.bytes,
            [&](std::string_view chunk) {
                const bool inPlace = gathered.empty() && text.empty() &&
                                     chunk.data() >= raw.data() &&
                                     chunk.data() + chunk.size() <= raw.data() + raw.size();
                if (inPlace) {
                    text = chunk;
                    return;
                }
                gathered.append(text).append(chunk);
                text = {};
            },
            &seed.guess);
        if (seed.error) {
            return {seed, nullptr};
        }
        return stageDatCues(request, sharedSync, std::move(seed),
                            gathered.empty() ? text : std::string_view(gathered), chart);
    }
    return stageDat(
        request, sharedSync,
        [&](const ChunkSink& sink, EncodingGuess* guess) {
            return decodeToUtf8Chunks(in.bytes, sink, guess);
        },
        in.bytes.size());
}

ConversionResult runConversion(const ConvertRequest& request) {
    return stageConversion(request, nullptr).result;
}

QString readingText(const ConversionResult& result) {
    QString text = toQString(result.format->title);
    if (result.voices.size() > 1) {
        text += QStringLiteral(", voice '%1' (%2 of %3)")
                    .arg(result.voices[static_cast<qsizetype>(result.voice)])
                    .arg(result.voice + 1)
                    .arg(result.voices.size());
    }
    return text;
}

QString inputName(const ConvertRequest& request) {
    return request.input ? QStringLiteral("'%1'").arg(*request.input)
                         : QStringLiteral("standard input");
}

QString describeFailure(const IoError& error, const ConvertRequest& request) {
    return error.describe(error.kind == IoError::Kind::Unwritable ? request.output : request.input);
}

QString describeFailure(const ConversionResult& result, const ConvertRequest& request) {
    return result.chartFailed ? result.error->describe(result.chartFile)
                              : describeFailure(*result.error, request);
}

QStringList messageLines(const ConversionResult& result, const ConvertRequest& request) {
    if (result.error) {
        return {describeFailure(result, request)};
    }
    QStringList lines;
    const QString name = inputName(request);
    const auto& findings = result.report.findings;
    const std::size_t problems = findings.size() + result.chartFindings.size();
    if (!request.quiet) {
        if (result.guess != EncodingGuess::None) {
            lines << QStringLiteral("note: ") + name + QStringLiteral(": ") +
                         encodingGuessNotice(result.guess);
        }
        if (result.voices.size() > 1 && !request.voice) {
            lines << QStringLiteral("note: %1: read as %2; --voice chooses another")
                         .arg(name, readingText(result));
        }
        if (result.chartBeside) {
            lines << QStringLiteral("note: %1: drawings as the mouth chart '%2' beside it lists "
                                    "them; --chart chooses another")
                         .arg(name, *result.chartFile);
        }
        for (const Finding& finding : result.chartFindings) {
            lines << QStringLiteral("warning: '%1': ").arg(*result.chartFile) +
                         describeFinding(finding, false);
        }
        for (const Finding& finding : findings) {
            lines << QStringLiteral("warning: ") + name + QStringLiteral(": ") +
                         describeFinding(finding);
        }
    }
    if (result.refused) {
        lines << QStringLiteral("%1 was not converted: its checks found %2 (--strict)")
                     .arg(name, problems == 1 ? QStringLiteral("1 problem")
                                              : QStringLiteral("%1 problems").arg(problems));
    }
    return lines;
}

QString describeFinding(const Finding& finding, bool withOutcome) {
    const std::string hint = findingHint(finding);
    const QString how = finding.kind == Finding::Kind::LetterMouthShapes
                            ? QStringLiteral(", with --letters")
                            : QString();
    return toQString(findingText(finding)) +
           (withOutcome ? QStringLiteral(": ") + toQString(findingOutcome(finding)) : QString()) +
           (hint.empty() ? QString() : QStringLiteral("; ") + toQString(hint) + how);
}

} // namespace mouthkey
