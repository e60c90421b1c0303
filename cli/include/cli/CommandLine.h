#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace mouthkey {

// The converter's exit statuses.
enum class ExitCode : int {
    Success = 0,
    FileError = 1,  // a file could not be read, decoded or written, or its checks failed
    UsageError = 2, // an unknown option, phoneme set or frame rate
};

struct ConvertRequest {
    // What the checks of the timing text lead to.
    enum class Checks {
        Warn,   // warnings on standard error; the document is still written
        Strict, // any warning refuses the file: nothing is written
        Only,   // the summary and the findings on standard output, and no document
    };

    int setIndex = 0;
    int rateIndex = 0;
    std::optional<QString> input;  // a path, or nothing for standard input
    std::optional<QString> output; // a path, or nothing for standard output
    Checks checks = Checks::Warn;
    bool quiet = false; // no warnings on standard error
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
