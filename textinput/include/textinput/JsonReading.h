#pragma once

#include "conversion/Take.h"

#include <QJsonObject>

#include <optional>
#include <string_view>

namespace mouthkey {

// A JSON text's root object, for the readers of JSON formats. A text the
// parser refuses gives a finding at the place it stopped ("JSON: " and its
// words); a root that is no object, one at its start saying `notAnObject`.
std::optional<QJsonObject> jsonRootObject(std::string_view text, ReaderFindings& findings,
                                          std::string_view notAnObject);

} // namespace mouthkey
