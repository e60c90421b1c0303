#pragma once

#include <QString>

#include <string_view>

namespace mouthkey {

// The core speaks UTF-8 std::string_view; Qt's widgets and parsers speak QString.
inline QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace mouthkey
