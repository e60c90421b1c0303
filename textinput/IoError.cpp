#include "textinput/IoError.h"

namespace mouthkey {

QString IoError::describe(const std::optional<QString>& name) const {
    switch (kind) {
    case Kind::Undecodable:
        return name ? QStringLiteral("'%1' is not valid %2 text").arg(*name, reason)
                    : QStringLiteral("standard input is not valid %1 text").arg(reason);
    case Kind::Unwritable:
        return name ? QStringLiteral("cannot write '%1': %2").arg(*name, reason)
                    : QStringLiteral("cannot write to standard output: %1").arg(reason);
    case Kind::UnknownFormat:
        return name ? QStringLiteral("'%1' is not a timing file Mouthkey reads (%2)")
                          .arg(*name, reason)
                    : QStringLiteral("standard input is not a timing file Mouthkey reads (%1)")
                          .arg(reason);
    case Kind::NoSuchVoice:
        return name ? QStringLiteral("'%1' has %2").arg(*name, reason)
                    : QStringLiteral("standard input has %1").arg(reason);
    case Kind::Untimable:
    case Kind::NotInstalled:
        return reason;
    case Kind::Unreadable:
        break;
    }
    return name ? QStringLiteral("cannot read '%1': %2").arg(*name, reason)
                : QStringLiteral("cannot read standard input: %1").arg(reason);
}

} // namespace mouthkey
