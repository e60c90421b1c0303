#include "cli/Converter.h"

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
    case CommandLine::Action::Convert:
        break;
    }
    using Checks = ConvertRequest::Checks;
    const ConvertRequest& request = command.request;
    const ConversionResult result = runConversion(request);
    if (result.error) {
        printError(describeFailure(*result.error, request));
        return static_cast<int>(ExitCode::FileError);
    }
    const QString name = inputName(request);
    const auto& findings = result.report.findings;
    if (request.checks == Checks::Only) {
        QString text = name + QStringLiteral(": ") +
                       toQString(summaryText(result.report.summary, request.rateIndex)) +
                       QLatin1Char('\n');
        for (const Finding& finding : findings) {
            text += name + QStringLiteral(": ") + describeFinding(finding) + QLatin1Char('\n');
        }
        const int printed = printOutput(text);
        return printed != 0 || !findings.empty() ? static_cast<int>(ExitCode::FileError)
                                                 : static_cast<int>(ExitCode::Success);
    }
    if (!request.quiet) {
        for (const Finding& finding : findings) {
            printError(QStringLiteral("warning: ") + name + QStringLiteral(": ") +
                       describeFinding(finding));
        }
    }
    if (result.refused) {
        printError(QStringLiteral("%1 was not converted: its checks found %2 (--strict)")
                       .arg(name, findings.size() == 1
                                      ? QStringLiteral("1 problem")
                                      : QStringLiteral("%1 problems").arg(findings.size())));
        return static_cast<int>(ExitCode::FileError);
    }
    return static_cast<int>(ExitCode::Success);
}

} // namespace mouthkey
