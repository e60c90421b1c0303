#pragma once

#include <QPointer>

namespace mouthkey {

// A control the logic relies on must be connected: without it the window
// was put together wrongly, and carrying on would only hide that.
template <class Control> Control& require(const QPointer<Control>& control, const char* name) {
    if (!control) {
        qFatal("Mouthkey: the window has no \"%s\" control connected", name);
    }
    return *control;
}

} // namespace mouthkey
