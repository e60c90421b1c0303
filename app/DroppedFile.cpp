#include "app/DroppedFile.h"

#include "app/TakePlayer.h"
#include "textinput/TimingFormats.h"

#include <QFileInfo>
#include <QMimeData>

namespace mouthkey {

namespace {

std::optional<QUrl> droppedLocalFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) {
        return std::nullopt;
    }
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return std::nullopt;
    }
    return urls.front();
}

} // namespace

std::optional<QUrl> droppedDatFile(const QMimeData* mime) {
    const auto url = droppedLocalFile(mime);
    if (!url || !isTimingFileExtension(QFileInfo(url->toLocalFile()).suffix())) {
        return std::nullopt;
    }
    return url;
}

std::optional<QUrl> droppedSoundFile(const QMimeData* mime) {
    const auto url = droppedLocalFile(mime);
    if (!url || !isSoundFileName(url->toLocalFile())) {
        return std::nullopt;
    }
    return url;
}

} // namespace mouthkey
