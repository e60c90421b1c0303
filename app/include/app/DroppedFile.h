#pragma once

#include <QUrl>

#include <optional>

class QMimeData;

namespace mouthkey {

// The one local timing file (by its extension) that a drag carries, or nothing when it carries
// anything else (several files, a folder's contents, text, remote links).
std::optional<QUrl> droppedDatFile(const QMimeData* mime);
// The same, for one local sound file (by its extension).
std::optional<QUrl> droppedSoundFile(const QMimeData* mime);

} // namespace mouthkey
