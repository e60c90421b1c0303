#include "app/DroppedFile.h"

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
    if (info.suffix().compare(QLatin1String("dat"), Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    return urls.front();
}

} // namespace mouthkey
