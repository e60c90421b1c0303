#pragma once

#include <QIcon>

namespace mouthkey {

// The application icon, drawn from its vector source at the usual sizes.
QIcon applicationIcon();

} // namespace mouthkey
