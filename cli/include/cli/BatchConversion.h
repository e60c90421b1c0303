#pragma once

#include "cli/CommandLine.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace mouthkey {

// What became of one input of a batch, printed in input order.
struct FileOutcome {
    // Its warnings, then why it failed or was refused; each names the file.
    QStringList lines;
    // As converting it alone would exit: not Success when it failed or was
    // refused, and its output was not touched.
    ExitCode exit = ExitCode::Success;
};

// Prints one message line; the caller adds the program's name.
using MessagePrinter = std::function<void(const QString& line)>;

// Converts every input to the output of the same position, batch.jobs files
// at once, printing each file's messages in input order as soon as it and
// every input before it are done. While standard error is a terminal and
// there are more than a few inputs, one line counting the files done is kept
// up to date below the messages. Every output is replaced only once its
// document is synced to the disk, but where one sync of the file system can serve
// many files (see SharedSync) they share it. Returns FileError if any input
// failed.
ExitCode convertBatch(const ConvertRequest& choices, const BatchRequest& batch,
                      const QStringList& outputs, const MessagePrinter& print);

} // namespace mouthkey
