#include "textinput/MouthChartFile.h"

#include "textinput/TextDecoding.h"
#include "textinput/Utf8Text.h"

#include <QDir>
#include <QFileInfo>

namespace mouthkey {

ChartFile readMouthChartFile(const QString& path, SourceKinds kinds) {
    ChartFile file;
    const FileBytes bytes = readFileBytes(path, kinds);
    if (bytes.error) {
        file.error = bytes.error;
        return file;
    }
    const DecodedText decoded = decodeToUtf8(bytes.bytes);
    if (decoded.error) {
        file.error = decoded.error;
        return file;
    }
    ChartReading reading = readMouthChart(decoded.text);
    if (!reading.chart) {
        // A chart without drawings cannot stand in for the set's.
        file.error =
            IoError{IoError::Kind::Unreadable, toQString(findingText(reading.findings.front()))};
        return file;
    }
    file.chart = std::move(reading.chart);
    file.findings = std::move(reading.findings);
    return file;
}

std::optional<QString> mouthChartBeside(const QString& timingFile) {
    const QString path = QFileInfo(timingFile).dir().filePath(toQString(mouthChartFileName));
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    return path;
}

} // namespace mouthkey
