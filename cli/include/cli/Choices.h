#pragma once

#include "conversion/KeyframeDocument.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace mouthkey {

// A phoneme set by its title in any case ("preston blair") or by its index
// in the list; nothing when neither matches.
std::optional<int> findPhonemeSet(QStringView name);

// A frame rate by its title ("24", "29.97") or as any plain number from 1
// to 1000 ("23.976"), as FrameRate::fromText reads it. Rates take no index,
// because "8" is both a title and an index.
std::optional<FrameRate> findFrameRate(QStringView text);

// The valid choices for --set, --fps and --target, as the converter lists
// them for --list and at the end of --help.
QString choicesText();

} // namespace mouthkey
