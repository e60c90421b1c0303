#pragma once

#include "cli/CommandLine.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace mouthkey {

// The name of an input's document: the input's file name without a final
// ".dat" in any case, then ".txt", so "Shot01.DAT" gives "Shot01.txt". Empty
// when nothing is left to name it by.
QString outputNameFor(const QString& input);

// Where each input of a batch goes, settled before anything is converted.
struct BatchPlan {
    QStringList outputs;            // one path per input, in input order
    std::optional<QString> refusal; // why nothing may be converted at all
    ExitCode refusalCode = ExitCode::Success;
};

// Names every output and refuses the whole batch, naming the inputs
// concerned, when two inputs would share an output (usage error), when the
// folder cannot be written into (file error), or when an output would
// replace one of the inputs (usage error).
BatchPlan planBatch(const BatchRequest& request);

} // namespace mouthkey
