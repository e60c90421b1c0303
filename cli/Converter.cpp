#include "cli/Converter.h"

#include "cli/BatchConversion.h"
#include "cli/BatchPlan.h"
#include "cli/Choices.h"
#include "cli/CommandLine.h"
#include "cli/ConvertJob.h"
#include "cli/DocumentOutput.h"

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
    if (out.open()) {
        out.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    if (!out.commit()) {
        printError(out.error());
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
    if (const auto error = runConversion(command.request)) {
        printError(*error);
        return static_cast<int>(ExitCode::FileError);
    }
    return static_cast<int>(ExitCode::Success);
}

} // namespace mouthkey
