#include "textinput/SoundFiles.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace mouthkey {

bool opensAsSound(QByteArrayView start) {
    const auto opens = [start](std::string_view magic, qsizetype at = 0) {
        return start.size() >= at + static_cast<qsizetype>(magic.size()) &&
               start.sliced(at, static_cast<qsizetype>(magic.size())) ==
                   QByteArrayView(magic.data(), static_cast<qsizetype>(magic.size()));
    };
    if ((opens("RIFF") || opens("RIFX") || opens("RF64")) && opens("WAVE", 8)) {
        return true;
    }
    if (opens("fLaC") || opens("OggS") || opens("ID3")) {
        return true;
    }
    // An MP3 frame: eleven set bits of sync, then layer III. Not any layer:
    // FF FE opens UTF-16 text too.
    return start.size() >= 2 && static_cast<unsigned char>(start[0]) == 0xFF &&
           (static_cast<unsigned char>(start[1]) & 0xE6) == 0xE2;
}

bool fileOpensAsSound(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && opensAsSound(file.read(16));
}

bool isSoundFileExtension(const QString& extension) {
    const std::string lower = extension.toLower().toStdString();
    return std::find(soundExtensions.begin(), soundExtensions.end(), lower) !=
           soundExtensions.end();
}

} // namespace mouthkey
