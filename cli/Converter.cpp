#include "cli/Converter.h"

#include "cli/BatchConversion.h"
#include "cli/BatchPlan.h"
#include "cli/Choices.h"
#include "cli/CommandLine.h"
#include "cli/ConvertJob.h"
#include "cli/DocumentOutput.h"
#include "textinput/Utf8Text.h"

#include <QCoreApplication>

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

void printUsage() {
    const QByteArray text = (usageLine() + QLatin1Char('\n') + choicesText()).toUtf8();
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
}

// Help, version and listings go to standard output, whose failure is an
// error like any other write.
int printOutput(const QString& text) {
    DocumentOutput out(std::nullopt);
    const QByteArray bytes = text.toUtf8();
    auto error = out.open();
    if (!error) {
        out.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        error = out.commit();
    }
    if (error) {
        printError(error->describe(std::nullopt));
        return static_cast<int>(ExitCode::FileError);
    }
    return static_cast<int>(ExitCode::Success);
}

} // namespace

int runConverter(const QStringList& arguments) {
    const CommandLine command = parseCommandLine(arguments);
    switch (command.action) {
    case CommandLine::Action::Reject:
        printError(command.message);
        printUsage();
        return static_cast<int>(ExitCode::UsageError);
    case CommandLine::Action::ShowHelp:
        return printOutput(command.message);
    case CommandLine::Action::ShowVersion:
        return printOutput(QCoreApplication::applicationName() + QLatin1Char(' ') +
                           QCoreApplication::applicationVersion() + QLatin1Char('\n'));
    case CommandLine::Action::ListChoices:
        return printOutput(choicesText());
    case CommandLine::Action::ConvertToFolder: {
        const BatchPlan plan = planBatch(command.batch);
        if (plan.refusal) {
            printError(*plan.refusal);
            if (plan.refusalCode == ExitCode::UsageError) {
                printUsage();
            }
            return static_cast<int>(plan.refusalCode);
        }
        return static_cast<int>(
            convertBatch(command.request, command.batch, plan.outputs, printError));
    }
    case CommandLine::Action::Convert:
        break;
    }
    const ConvertRequest& request = command.request;
    const ConversionResult result = runConversion(request);
    if (request.checks == ConvertRequest::Checks::Only && !result.error) {
        const QString name = inputName(request);
        QString text = name + QStringLiteral(": ") +
                       toQString(summaryText(result.report.summary, request.rateIndex)) +
                       QLatin1Char('\n');
        for (const Finding& finding : result.report.findings) {
            text += name + QStringLiteral(": ") + describeFinding(finding) + QLatin1Char('\n');
        }
        const int printed = printOutput(text);
        return printed != 0 || !result.report.findings.empty()
                   ? static_cast<int>(ExitCode::FileError)
                   : static_cast<int>(ExitCode::Success);
    }
    for (const QString& line : messageLines(result, request)) {
        printError(line);
    }
    if (result.error || result.refused) {
        return static_cast<int>(ExitCode::FileError);
    }
    return static_cast<int>(ExitCode::Success);
}

} // namespace mouthkey
