#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace mouthkey {

// The converter's exit statuses.
enum class ExitCode : int {
    Success = 0,
    FileError = 1,  // a file could not be read, decoded or written
    UsageError = 2, // an unknown option, phoneme set or frame rate
};

struct ConvertRequest {
    int setIndex = 0;
    int rateIndex = 0;
    std::optional<QString> input;  // a path, or nothing for standard input
    std::optional<QString> output; // a path, or nothing for standard output
};

struct CommandLine {
    enum class Action { Convert, ShowHelp, ShowVersion, ListChoices, Reject };

    Action action = Action::Convert;
    ConvertRequest request;
    // The help text for ShowHelp; for Reject, one line naming the option and
    // what is wrong with it.
    QString message;
};

// "Usage: mouthkey-convert [--set SET] ...", without a line end.
QString usageLine();

// Reads the converter's arguments, program name first. Never exits and
// prints nothing: the caller decides what each outcome writes where.
// The help text needs a QCoreApplication.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace mouthkey
