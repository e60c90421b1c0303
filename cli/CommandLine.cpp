#include "cli/CommandLine.h"

#include "cli/Choices.h"
#include "conversion/DocumentTarget.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "textinput/SoundFiles.h"
#include "textinput/TimingFormats.h"
#include "textinput/Utf8Text.h"

#include "HelpText.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QRegularExpression>

#include <string>

namespace mouthkey {

namespace {

constexpr QLatin1String standardStream("-");
// Far more than any machine has cores; each job holds one input in memory.
constexpr int maxJobs = 1024;

CommandLine reject(QString message) {
    return {CommandLine::Action::Reject, {}, std::move(message)};
}

QString dashed(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// Qt's parser words its errors as sentences ("Missing value after '--set'.");
// ours follow the program name after a colon.
QString asClause(QString text) {
    if (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    if (!text.isEmpty()) {
        text[0] = text[0].toLower();
    }
    return text;
}

QString quotedList(const QStringList& items) {
    QStringList quoted;
    for (const QString& item : items) {
        quoted << QLatin1Char('\'') + item + QLatin1Char('\'');
    }
    return quoted.join(QStringLiteral(", "));
}

} // namespace

QString usageLine() {
    return QStringLiteral(
        "Usage: mouthkey-convert [--set SET] [--fps RATE] [--from FORMAT] [-o FILE] [INPUT]\n"
        "       mouthkey-convert --target TARGET [--chart FILE] [--hold | --no-hold] [--offset N]\n"
        "                        [--set SET] [--fps RATE] [-o FILE] [INPUT]\n"
        "       mouthkey-convert [--set SET] [--fps RATE] [-j N] -d DIR INPUT...\n"
        "       mouthkey-convert --target FORMAT [--fps RATE] [-o FILE] [INPUT]\n"
        "       mouthkey-convert --check [--fps RATE] [INPUT...]\n"
        "       mouthkey-convert --print-chart [--set SET]");
}

std::string_view outputExtension(const ConvertRequest& request) {
    return request.timingTarget ? request.timingTarget->extensions.front() : "txt";
}

TargetChoices targetChoices(const ConvertRequest& request, bool letters,
                            std::optional<MouthChart> chart) {
    TargetChoices choices;
    choices.target = request.target;
    choices.setIndex = request.setIndex;
    choices.rate = request.rate;
    choices.letters = letters;
    choices.hold = request.hold;
    choices.offset = request.offset;
    choices.chart = std::move(chart);
    choices.cleanUp = request.cleanUp;
    choices.cleanUp.letters = letters;
    return choices;
}

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts a phoneme timing file into an \"Adobe After Effects 8.0 "
                       "Keyframe Data\" document,\nthe same document the Mouthkey window puts "
                       "on the clipboard."));
    // Not addHelpOption(): its --help-all would list Qt's own options, which
    // this tool has none of.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and the valid choices."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption set(
        QStringLiteral("set"),
        QStringLiteral("Phoneme set, by title in any case or by index 0 to %1 (default: \"%2\").")
            .arg(phonemeSets.size() - 1)
            .arg(toQString(phonemeSetTitle(-1))),
        QStringLiteral("SET"), toQString(phonemeSetTitle(-1)));
    const QCommandLineOption fps(
        QStringLiteral("fps"),
        QStringLiteral("Frame rate, by title or as any number from 1 to 1000, such as 23.976 "
                       "(default: %1).")
            .arg(toQString(frameRateTitle(-1))),
        QStringLiteral("RATE"), toQString(frameRateTitle(-1)));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the document to FILE, replacing it only once the whole document is "
                       "written; it may not be the INPUT itself. Without it, or with '-', the "
                       "document goes to standard output."),
        QStringLiteral("FILE"));
    const QCommandLineOption list(
        QStringLiteral("list"), QStringLiteral("List the phoneme sets, frame rates and targets."));
    const QCommandLineOption strict(
        QStringLiteral("strict"),
        QStringLiteral("Treat every warning about the timing file as an error: write nothing and "
                       "exit with 1."));
    const QCommandLineOption quiet(
        {QStringLiteral("q"), QStringLiteral("quiet")},
        QStringLiteral("Print no warnings or notes about the timing file."));
    const QCommandLineOption check(
        QStringLiteral("check"),
        QStringLiteral("Only check each INPUT: print its summary and findings to standard output, "
                       "each line after the file's name (and a project's voice's), and write no "
                       "document."));
    const QCommandLineOption outputDir(
        {QStringLiteral("d"), QStringLiteral("output-dir")},
        QStringLiteral("Convert every INPUT into DIR/NAME.txt, NAME being the input's file name "
                       "without a final %1. DIR must exist. Needed for two or more inputs. A "
                       "timing target's files take its format's extension, as NAME.tsv.")
            .arg(extensionsText()),
        QStringLiteral("DIR"));
    const QCommandLineOption letters(
        QStringLiteral("letters"),
        QStringLiteral("Read the letter mouth shapes A to H and X by a lip-sync tool's chart (%1) "
                       "before the phoneme set is looked up; phoneme names stay as they are. "
                       "Without it, a file of letters gets one warning that says so, and its D "
                       "and E are the phonemes D and E.")
            .arg(toQString(letterChartText())));
    const QCommandLineOption from(
        QStringLiteral("from"),
        QStringLiteral("Read every INPUT as FORMAT: %1. Without it each file's format is told by "
                       "its text (see Formats below).")
            .arg(formatNamesText()),
        QStringLiteral("FORMAT"));
    const QCommandLineOption voice(
        QStringLiteral("voice"),
        QStringLiteral("Of a project with several voices, convert VOICE, by name or by index "
                       "from 1 (default: the first; --check checks each)."),
        QStringLiteral("VOICE"));
    const QCommandLineOption jobs(
        {QStringLiteral("j"), QStringLiteral("jobs")},
        QStringLiteral("With -d, convert N files at once (default: one per core)."),
        QStringLiteral("N"));
    const QCommandLineOption target(
        QStringLiteral("target"),
        QStringLiteral("What the document animates: %1 (see Targets below); or the take itself, "
                       "written as %2 (see Timing targets below).")
            .arg(documentTargetsText(), writtenFormatNamesText()),
        QStringLiteral("TARGET"));
    const QCommandLineOption chart(
        QStringLiteral("chart"),
        QStringLiteral("For time-remap and slider, the mouth chart FILE that says which drawing "
                       "shows which names. Without it, a %1 beside the INPUT is used, or else "
                       "the set's own chart.")
            .arg(toQString(mouthChartFileName)),
        QStringLiteral("FILE"));
    const QCommandLineOption printChart(
        QStringLiteral("print-chart"),
        QStringLiteral("Write the --set's mouth chart, in the chart file format, to standard "
                       "output, and convert nothing."));
    const QCommandLineOption hold(
        QStringLiteral("hold"),
        QStringLiteral("Before each key that changes the drawing two frames or more after the "
                       "key before, repeat that key one frame earlier, so that each drawing is "
                       "held (default for time-remap and slider)."));
    const QCommandLineOption noHold(QStringLiteral("no-hold"),
                                    QStringLiteral("Write no hold steps (default for position)."));
    const QCommandLineOption offset(
        QStringLiteral("offset"),
        QStringLiteral("Add N, a whole number that may be negative, to every frame. The last key "
                       "that would fall before frame 0 is the key at frame 0; those before it are "
                       "left out, with a warning."),
        QStringLiteral("N"));
    const QCommandLineOption bridgeRests(
        QStringLiteral("bridge-rests"),
        QStringLiteral("Leave out each rest held for fewer than N frames between two mouths, so "
                       "that the mouth before it holds on. A rest that starts or ends the take "
                       "stays."),
        QStringLiteral("N"));
    const QCommandLineOption minHold(
        QStringLiteral("min-hold"),
        QStringLiteral("Show every mouth but the last for N frames at least: a cue too soon "
                       "after the one before is left out, but for a closed mouth, which takes "
                       "the earlier cue's place. 1 keeps every cue."),
        QStringLiteral("N"));
    const QCommandLineOption onEvery(
        QStringLiteral("on"),
        QStringLiteral("Key only every Nth frame, from frame 1 (2: on twos), each showing the "
                       "mouth in force there, or a closed mouth that would otherwise go unseen. "
                       "1 is every frame."),
        QStringLiteral("N"));
    const QCommandLineOption script(
        QStringLiteral("script"),
        QStringLiteral("For a sound, the dialogue's text FILE, whose words are then found in the "
                       "speech. Without it, a NAME.txt of prose beside the sound is used, or else "
                       "the speech's sounds are heard on their own."),
        QStringLiteral("FILE"));
    parser.addOptions({set,    fps,     output,      outputDir, jobs,    list,  check,      strict,
                       quiet,  letters, from,        voice,     target,  chart, printChart, hold,
                       noHold, offset,  bridgeRests, minHold,   onEvery, script});
    parser.addPositionalArgument(
        QStringLiteral("INPUT"),
        QStringLiteral("The timing file, in any format below; standard input when missing or "
                       "'-'. With -d or --check, one or more files."),
        QStringLiteral("[INPUT...]"));

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            return reject(QStringLiteral("unknown option '%1'").arg(dashed(unknown.first())));
        }
        return reject(asClause(parser.errorText()));
    }

    // Asking for help or a listing wins over anything else on the line.
    if (parser.isSet(help)) {
        // Qt's first line names the program by the path it was started with.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')), usageLine());
        return {CommandLine::Action::ShowHelp, {}, text + examplesText() + choicesText()};
    }
    if (parser.isSet(version)) {
        return {CommandLine::Action::ShowVersion, {}, {}};
    }
    if (parser.isSet(list)) {
        return {CommandLine::Action::ListChoices, {}, {}};
    }

    CommandLine result;
    const QString setName = parser.value(set);
    const auto setIndex = findPhonemeSet(setName);
    if (!setIndex) {
        return reject(QStringLiteral("unknown phoneme set '%1' for --set").arg(setName));
    }
    result.request.setIndex = *setIndex;
    if (parser.isSet(printChart)) {
        return {CommandLine::Action::PrintChart, result.request, {}};
    }
    if (parser.isSet(target)) {
        const QString name = parser.value(target);
        const std::string lower = name.toLower().toStdString();
        const auto named = targetNamed(lower);
        const TimingFormat* format = named ? nullptr : formatNamed(lower);
        if (!named && !(format && format->write)) {
            return reject(QStringLiteral("unknown target '%1' for --target (%2)")
                              .arg(name, allTargetsText()));
        }
        if (named) {
            result.request.target = *named;
        } else {
            result.request.timingTarget = format;
        }
    }
    const QString targetText =
        toQString(result.request.timingTarget ? result.request.timingTarget->name
                                              : targetName(result.request.target));
    if (parser.isSet(chart)) {
        if (result.request.timingTarget || !usesChart(result.request.target)) {
            return reject(QStringLiteral("--chart is for --target time-remap or slider; %1 uses "
                                         "no chart")
                              .arg(targetText));
        }
        result.request.chart = parser.value(chart);
    }
    // A timing file has no keys to hold or shift.
    for (const QCommandLineOption* option : {&hold, &noHold, &offset}) {
        if (result.request.timingTarget && parser.isSet(*option)) {
            return reject(QStringLiteral("--%1 is for keyframe documents; --target %2 writes a "
                                         "timing file")
                              .arg(option->names().constFirst(), targetText));
        }
    }
    if (parser.isSet(hold) && parser.isSet(noHold)) {
        return reject(QStringLiteral("--hold and --no-hold cannot be used together"));
    }
    if (parser.isSet(hold) || parser.isSet(noHold)) {
        result.request.hold = parser.isSet(hold);
    }
    if (parser.isSet(offset)) {
        const QString value = parser.value(offset);
        static const QRegularExpression whole(QStringLiteral("\\A[+-]?[0-9]+\\z"));
        bool isNumber = false;
        const qlonglong frames = value.toLongLong(&isNumber);
        if (!whole.match(value).hasMatch() || !isNumber) {
            return reject(QStringLiteral("invalid offset '%1' for --offset (a whole number of "
                                         "frames, such as 12 or -12)")
                              .arg(value));
        }
        result.request.offset = frames;
    }

    // Clean-up, applied in this order whatever the order on the line.
    const std::pair<const QCommandLineOption*, std::uint64_t*> rules[] = {
        {&bridgeRests, &result.request.cleanUp.bridgeRests},
        {&minHold, &result.request.cleanUp.minHold},
        {&onEvery, &result.request.cleanUp.onEvery}};
    for (const auto& [option, frames] : rules) {
        if (!parser.isSet(*option)) {
            continue;
        }
        const QString value = parser.value(*option);
        static const QRegularExpression digits(QStringLiteral("\\A[0-9]+\\z"));
        bool isNumber = false;
        const qulonglong n = value.toULongLong(&isNumber);
        if (!digits.match(value).hasMatch() || !isNumber || n < 1) {
            return reject(QStringLiteral("invalid number of frames '%1' for --%2 (a whole number, "
                                         "1 or more)")
                              .arg(value, option->names().constFirst()));
        }
        *frames = n;
    }

    const QString rateText = parser.value(fps);
    const auto rate = findFrameRate(rateText);
    if (!rate) {
        return reject(QStringLiteral("invalid frame rate '%1' for --fps (a title from --list, or "
                                     "a plain number from 1 to 1000)")
                          .arg(rateText));
    }
    result.request.rate = *rate;

    if (parser.isSet(from)) {
        const QString name = parser.value(from);
        result.request.fromSound = name.toLower().toStdString() == soundFormatName;
        result.request.from = formatNamed(name.toLower().toStdString());
        if (!result.request.from && !result.request.fromSound) {
            return reject(
                QStringLiteral("unknown format '%1' for --from (%2)").arg(name, formatNamesText()));
        }
    }
    if (parser.isSet(voice)) {
        result.request.voice = parser.value(voice);
    }
    if (parser.isSet(script)) {
        result.request.script = parser.value(script);
    }

    if (parser.isSet(jobs)) {
        bool isNumber = false;
        const int count = parser.value(jobs).toInt(&isNumber);
        if (!isNumber || count < 1 || count > maxJobs) {
            return reject(QStringLiteral("invalid number of jobs '%1' for --jobs (1 to %2)")
                              .arg(parser.value(jobs))
                              .arg(maxJobs));
        }
        result.batch.jobs = count;
    }

    const QStringList inputs = parser.positionalArguments();
    if (parser.isSet(outputDir)) {
        if (inputs.isEmpty()) {
            // What xargs does without -r when it finds nothing.
            return reject(QStringLiteral("no input files were given for -d (xargs without -r "
                                         "runs the command once with none)"));
        }
        if (parser.isSet(output)) {
            return reject(QStringLiteral("-o and -d cannot be used together"));
        }
    }
    result.request.quiet = parser.isSet(quiet);
    result.request.letters = parser.isSet(letters);
    if (parser.isSet(check)) {
        if (parser.isSet(output)) {
            return reject(QStringLiteral("--check writes no document, so it takes no -o"));
        }
        // -d is let through, so that a batch's command line checks the same files.
        if (inputs.count(standardStream) > 1) {
            // The second read would find it empty.
            return reject(QStringLiteral("standard input ('-') can be checked only once"));
        }
        result.action = CommandLine::Action::Check;
        result.request.checks = ConvertRequest::Checks::Only;
        for (const QString& input : inputs) {
            result.checkInputs.push_back(input == standardStream ? std::nullopt
                                                                 : std::optional(input));
        }
        if (inputs.isEmpty()) {
            result.checkInputs.push_back(std::nullopt);
        }
        return result;
    }
    if (parser.isSet(strict)) {
        result.request.checks = ConvertRequest::Checks::Strict;
    }

    if (parser.isSet(outputDir)) {
        if (inputs.contains(standardStream)) {
            return reject(QStringLiteral("standard input ('-') has no name to write under -d; "
                                         "use -o for it"));
        }
        result.action = CommandLine::Action::ConvertToFolder;
        result.batch.inputs = inputs;
        result.batch.outputDir = parser.value(outputDir);
        return result;
    }
    if (inputs.size() > 1 && parser.isSet(output)) {
        return reject(QStringLiteral("-o writes one file, but %1 inputs were given; use -d DIR")
                          .arg(inputs.size()));
    }
    if (inputs.size() > 1) {
        return reject(
            QStringLiteral("only one INPUT may be given, not %1").arg(quotedList(inputs)));
    }
    if (!inputs.isEmpty() && inputs.first() != standardStream) {
        result.request.input = inputs.first();
    }
    if (parser.isSet(output) && parser.value(output) != standardStream) {
        result.request.output = parser.value(output);
    }
    return result;
}

} // namespace mouthkey
