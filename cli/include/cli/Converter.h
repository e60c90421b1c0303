#pragma once

#include <QStringList>

namespace mouthkey {

// The whole converter behind main: reads the arguments, does what they ask
// and returns the exit status. Output goes to standard output, messages to
// standard error, each prefixed with the program name.
int runConverter(const QStringList& arguments);

} // namespace mouthkey
