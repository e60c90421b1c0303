#include "textinput/TextInputError.h"

namespace mouthkey {

QString TextInputError::describe(const QString& source) const {
    if (kind == Kind::Undecodable) {
        return QStringLiteral("'%1' is not valid %2 text").arg(source, reason);
    }
    return QStringLiteral("cannot read '%1': %2").arg(source, reason);
}

} // namespace mouthkey
