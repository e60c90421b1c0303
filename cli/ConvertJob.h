#pragma once

#include "cli/CommandLine.h"

#include <QString>

namespace mouthkey {

// Reads the request's input, converts it and writes the document. Returns
// nothing on success, or one line naming the file and the cause. Nothing
// partial is left behind: standard output receives nothing unless the input
// was read and decoded, and an output file is replaced only on success.
std::optional<QString> runConversion(const ConvertRequest& request);

} // namespace mouthkey
