#pragma once

#include "cli/CommandLine.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string_view>

namespace mouthkey {

// The name of an input's output: the input's file name without a final
// timing file extension in any case, then the extension, so "Shot01.DAT"
// with "txt" gives "Shot01.txt". Empty when nothing is left to name it by.
QString outputNameFor(const QString& input, std::string_view extension);

// Where each input of a batch goes, settled before anything is converted.
struct BatchPlan {
    QStringList outputs;            // one path per input, in input order
    std::optional<QString> refusal; // why nothing may be converted at all
    ExitCode refusalCode = ExitCode::Success;
};

// Names every output, with the extension of the files the request writes
// (outputExtension), and refuses the whole batch, naming the inputs
// concerned, when two inputs would share an output (usage error), when the
// folder cannot be written into (file error), or when an output would
// replace one of the inputs (usage error).
BatchPlan planBatch(const BatchRequest& request, std::string_view extension);

} // namespace mouthkey
