#include "cli/Converter.h"

#include "cli/BatchConversion.h"
#include "cli/BatchPlan.h"
#include "cli/Choices.h"
#include "cli/CommandLine.h"
#include "cli/ConvertJob.h"
#include "cli/DocumentOutput.h"
#include "cli/SameFile.h"
#include "conversion/Take.h"
#include "textinput/Utf8Text.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

namespace mouthkey {

namespace {

void printError(const QString& line) {
    const QByteArray text =
        (QCoreApplication::applicationName() + QStringLiteral(": ") + line + QLatin1Char('\n'))
            .toUtf8();
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
    std::fflush(stderr);
}

// The problem in one line, then where to read more, rather than the whole
// usage: the line that says what is wrong stays in sight.
int usageError(const QString& line) {
    printError(line);
    const QByteArray hint = QStringLiteral("Try '%1 --help' for more information.\n")
                                .arg(QCoreApplication::applicationName())
                                .toUtf8();
    std::fwrite(hint.constData(), 1, static_cast<std::size_t>(hint.size()), stderr);
    return static_cast<int>(ExitCode::UsageError);
}

// Help, version, listings and check reports go to standard output, whose
// failure is an error like any other write.
bool printOutput(const QString& text) {
    DocumentOutput out(std::nullopt);
    const QByteArray bytes = text.toUtf8();
    auto error = out.open();
    if (!error) {
        out.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        error = out.commit();
    }
    if (error) {
        printError(error->describe(std::nullopt));
    }
    return !error;
}

int printInformation(const QString& text) {
    return static_cast<int>(printOutput(text) ? ExitCode::Success : ExitCode::FileError);
}

// Each input's summary and findings, each line after the input's name; a
// project's voices, when each was checked, each after the voice's name too,
// and then what is found about the file as a whole. A file that cannot be
// read is named on standard error, and the rest are still checked.
int checkFiles(const ConvertRequest& choices, const std::vector<std::optional<QString>>& inputs) {
    auto status = CheckExitCode::Clean;
    for (const auto& input : inputs) {
        ConvertRequest request = choices;
        request.input = input;
        const ConversionResult result = runConversion(request);
        if (result.error) {
            printError(describeFailure(result, request));
            status = CheckExitCode::Trouble;
            continue;
        }
        const QString name = inputName(request);
        QString text;
        const auto say = [&text](const QString& about, const QString& words) {
            text += about + QStringLiteral(": ") + words + QLatin1Char('\n');
        };
        const auto summarise = [&](const QString& about, const TimingReport& report,
                                   const QString& reading) {
            say(about, toQString(summaryText(report.summary, request.rate)));
            say(about, QStringLiteral("read as ") + reading);
        };
        // Advice is listed, but leaves a file clean.
        bool found =
            problemCount(result.report.findings) > 0 || problemCount(result.chartFindings) > 0;
        if (result.voiceReports.empty()) {
            summarise(name, result.report, readingText(result));
        }
        for (std::size_t i = 0; i < result.voiceReports.size(); ++i) {
            const TimingReport& report = result.voiceReports[i];
            const QString voice =
                name + QStringLiteral(", voice '%1'").arg(result.voices[static_cast<qsizetype>(i)]);
            // The voice's number tells apart voices of one name.
            summarise(voice, report,
                      QStringLiteral("%1, voice %2 of %3")
                          .arg(toQString(result.format->title))
                          .arg(i + 1)
                          .arg(result.voiceReports.size()));
            for (const QString& note : cleanUpNotes(result.voiceCleaned[i], result.cleanUp)) {
                say(voice, note);
            }
            for (const Finding& finding : report.findings) {
                say(voice, describeFinding(finding));
            }
            found = found || problemCount(report.findings) > 0;
        }
        if (result.guess != EncodingGuess::None) {
            say(name, encodingGuessNotice(result.guess));
        }
        for (const QString& note : result.soundNotes) {
            say(name, note);
        }
        for (const QString& note : cleanUpNotes(result.cleaned, result.cleanUp)) {
            say(name, note);
        }
        if (result.chartFile) {
            say(name, QStringLiteral("drawings as the mouth chart '%1' lists them")
                          .arg(*result.chartFile));
        }
        for (const Finding& finding : result.chartFindings) {
            say(QStringLiteral("'%1'").arg(*result.chartFile), describeFinding(finding, false));
        }
        for (const Finding& finding : result.report.findings) {
            say(name, describeFinding(finding));
        }
        if (!printOutput(text)) {
            // Nothing more would reach the reader.
            return static_cast<int>(CheckExitCode::Trouble);
        }
        if (found) {
            status = std::max(status, CheckExitCode::Findings);
        }
    }
    return static_cast<int>(status);
}

// -o onto the input would leave the input as its own keyframe document.
std::optional<QString> replacedInput(const ConvertRequest& request) {
    if (!request.input || !request.output) {
        return std::nullopt;
    }
    const auto output = fileIdentity(*request.output);
    if (output && output == fileIdentity(*request.input)) {
        return QStringLiteral("writing '%1' would replace the input '%2'")
            .arg(*request.output, *request.input);
    }
    return std::nullopt;
}

} // namespace

int runConverter(const QStringList& arguments) {
    const CommandLine command = parseCommandLine(arguments);
    switch (command.action) {
    case CommandLine::Action::Reject:
        return usageError(command.message);
    case CommandLine::Action::ShowHelp:
        return printInformation(command.message);
    case CommandLine::Action::ShowVersion:
        return printInformation(QCoreApplication::applicationName() + QLatin1Char(' ') +
                                QCoreApplication::applicationVersion() + QLatin1Char('\n'));
    case CommandLine::Action::ListChoices:
        return printInformation(choicesText());
    case CommandLine::Action::PrintChart:
        return printInformation(toQString(MouthChart::ofSet(command.request.setIndex).text()));
    case CommandLine::Action::Check:
        return checkFiles(command.request, command.checkInputs);
    case CommandLine::Action::ConvertToFolder: {
        const BatchPlan plan = planBatch(command.batch, outputExtension(command.request));
        if (plan.refusal) {
            if (plan.refusalCode == ExitCode::UsageError) {
                return usageError(*plan.refusal);
            }
            printError(*plan.refusal);
            return static_cast<int>(plan.refusalCode);
        }
        return static_cast<int>(
            convertBatch(command.request, command.batch, plan.outputs, printError));
    }
    case CommandLine::Action::Convert:
        break;
    }
    const ConvertRequest& request = command.request;
    if (const auto refusal = replacedInput(request)) {
        return usageError(*refusal);
    }
    const ConversionResult result = runConversion(request);
    for (const QString& line : messageLines(result, request)) {
        printError(line);
    }
    return static_cast<int>(exitCodeOf(result));
}

} // namespace mouthkey
