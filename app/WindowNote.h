#pragma once

#include "app/StatusMessage.h"

#include <QString>

namespace mouthkey {

// A clause a part of the window adds to the load's message, and whether it
// is something to check.
struct LoadNote {
    QString text; // empty when there is nothing to say
    bool problem = false;
};

// A whole status message from a part of the window.
struct StatusNote {
    StatusMessage::Kind kind = StatusMessage::Kind::Done;
    QString text;
};

inline QString withCapital(QString text) {
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

} // namespace mouthkey
