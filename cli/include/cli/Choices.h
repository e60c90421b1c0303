#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace mouthkey {

// A phoneme set by its title in any case ("preston blair") or by its index
// in the list; nothing when neither matches.
std::optional<int> findPhonemeSet(QStringView name);

// A frame rate by its exact title ("24", "29.97"). Rates take no index,
// because "8" is both a title and an index.
std::optional<int> findFrameRate(QStringView title);

// The valid choices for both options, one per line, as the converter lists
// them for --list and after a usage error.
QString choicesText();

} // namespace mouthkey
