#pragma once

// A sound file as a take: its speech timed, with its script where there is
// one. Private to the converter.
#include "cli/CommandLine.h"
#include "conversion/Take.h"
#include "textinput/IoError.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace mouthkey {

struct TimedSound {
    std::optional<Take> take;
    std::optional<IoError> error;
    // The script the words were found by: --script's, or the prose beside.
    std::optional<QString> script;
    // Words pronounced by rule, and where the speech and the script part ways.
    QStringList notes;
};

// The request's input timed from its sound. The model is the installed one,
// or the folder MOUTHKEY_SPEECH_MODEL names.
TimedSound timeSoundFile(const ConvertRequest& request);

} // namespace mouthkey
