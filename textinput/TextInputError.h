#pragma once

#include <QString>

namespace mouthkey {

// Why a timing file could not be taken in: it could not be read at all, or
// its bytes are not valid text in the encoding they announce.
struct TextInputError {
    enum class Kind { Unreadable, Undecodable };

    Kind kind = Kind::Unreadable;
    // The system's reason for Unreadable; the encoding's name for Undecodable.
    QString reason;

    // One sentence naming the source, e.g. "cannot read 'take1.dat': No such
    // file or directory" or "'take1.dat' is not valid UTF-8 text".
    QString describe(const QString& source) const;
};

} // namespace mouthkey
