#pragma once

#include "conversion/TimingCheck.h"

#include <QString>

#include <optional>

namespace mouthkey {

// What the window knows about the text it has loaded: where it came from and
// what the checks found in it.
struct LoadedTiming {
    QString source; // the file's name
    TimingReport report;
    QString notice;       // how the text was read, where that was a guess; else empty
    bool letters = false; // letter mouth shapes are read by their chart, for the report too
};

// A status message and whether it warns.
struct ConvertMessage {
    QString text;
    bool warning = false;
};

// What the window says after a conversion: how many keyframes were copied,
// from where and with which choices, and what the checks found.
ConvertMessage convertStatus(qsizetype keyframes, const std::optional<LoadedTiming>& loaded,
                             int setIndex, int rateIndex);

} // namespace mouthkey
