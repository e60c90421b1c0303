#pragma once

#include "conversion/Targets.h"
#include "textinput/FileBytes.h"
#include "textinput/IoError.h"

#include <QString>

#include <optional>
#include <vector>

namespace mouthkey {

// A mouth chart file, read: its chart, or why there is none.
struct ChartFile {
    std::optional<MouthChart> chart;
    // What its reading found that still gives a chart, such as a name listed again.
    std::vector<Finding> findings;
    // It could not be read or decoded, or it lists no drawing.
    std::optional<IoError> error;
};

ChartFile readMouthChartFile(const QString& path,
                             SourceKinds kinds = SourceKinds::RegularFilesOnly);

// The mouth chart file in a timing file's folder; nothing when there is none.
std::optional<QString> mouthChartBeside(const QString& timingFile);

} // namespace mouthkey
