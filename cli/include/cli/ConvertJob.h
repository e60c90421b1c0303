#pragma once

#include "cli/CommandLine.h"
#include "textinput/IoError.h"

#include <QString>

#include <optional>

namespace mouthkey {

// Reads the request's input, converts it and writes the document. Nothing
// partial is left behind: standard output receives nothing unless the input
// was read and decoded, and an output file is replaced only on success.
std::optional<IoError> runConversion(const ConvertRequest& request);

// One line naming the file the error is about (the request's input, or its
// output for a write error) and the cause.
QString describeFailure(const IoError& error, const ConvertRequest& request);

} // namespace mouthkey
