#include "cli/CommandLine.h"

#include "cli/Choices.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "textinput/Utf8Text.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace mouthkey {

namespace {

constexpr QLatin1String standardStream("-");

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
    return QStringLiteral("Usage: mouthkey-convert [--set SET] [--fps RATE] [-o FILE] [INPUT]");
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
        QStringLiteral("Frame rate, by title (default: %1).").arg(toQString(frameRateTitle(-1))),
        QStringLiteral("RATE"), toQString(frameRateTitle(-1)));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the document to FILE, replacing it only once the whole document is "
                       "written. Without it, or with '-', the document goes to standard output."),
        QStringLiteral("FILE"));
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("List the phoneme sets and frame rates."));
    const QCommandLineOption strict(
        QStringLiteral("strict"),
        QStringLiteral("Treat every warning about the timing file as an error: write nothing and "
                       "exit with 1."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Print no warnings about the timing file."));
    const QCommandLineOption check(
        QStringLiteral("check"),
        QStringLiteral("Only check the timing file: print its summary and findings to standard "
                       "output and write no document. Exits with 0 when nothing was found."));
    parser.addOptions({set, fps, output, list, check, strict, quiet});
    parser.addPositionalArgument(
        QStringLiteral("INPUT"),
        QStringLiteral("The timing file; standard input when missing or '-'."),
        QStringLiteral("[INPUT]"));

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
        return {CommandLine::Action::ShowHelp, {}, text + QLatin1Char('\n') + choicesText()};
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

    const QString rateTitle = parser.value(fps);
    const auto rateIndex = findFrameRate(rateTitle);
    if (!rateIndex) {
        return reject(QStringLiteral("unknown frame rate '%1' for --fps").arg(rateTitle));
    }
    result.request.rateIndex = *rateIndex;

    const QStringList inputs = parser.positionalArguments();
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
    if (parser.isSet(check)) {
        if (parser.isSet(output)) {
            return reject(QStringLiteral("--check writes no document, so it takes no -o"));
        }
        result.request.checks = ConvertRequest::Checks::Only;
    } else if (parser.isSet(strict)) {
        result.request.checks = ConvertRequest::Checks::Strict;
    }
    result.request.quiet = parser.isSet(quiet);
    return result;
}

} // namespace mouthkey
