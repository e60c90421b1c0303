#include "app/DroppedFile.h"

#include "textinput/TakeReading.h"

#include <QFileInfo>
#include <QMimeData>

namespace mouthkey {

std::optional<QUrl> droppedDatFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) {
        return std::nullopt;
    }
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return std::nullopt;
    }
    const QFileInfo info(urls.front().toLocalFile());
    if (!isTimingFileExtension(info.suffix())) {
        return std::nullopt;
    }
    return urls.front();
}

} // namespace mouthkey
