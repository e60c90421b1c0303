#include "textinput/SoundFiles.h"

#include "conversion/Targets.h"
#include "textinput/FileBytes.h"
#include "textinput/TextDecoding.h"
#include "textinput/TimingFormats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>

namespace mouthkey {

namespace {

// Prose: mostly letters, no tabs, no format claims it outright and no line
// of it is one a .dat file keys.
bool isProse(std::string_view text, const QString& name) {
    std::size_t letters = 0;
    std::size_t others = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            return false;
        }
        const bool letter = std::isalpha(byte) || byte >= 0x80;
        letters += letter ? 1 : 0;
        others += !letter && !std::isspace(byte) && !std::ispunct(byte) ? 1 : 0;
    }
    const TimingFormat* format = detectFormat(text, name);
    return letters > 0 && letters >= 3 * others && (!format || format == &defaultFormat()) &&
           datCues(text).empty();
}

} // namespace

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

std::optional<ScriptText> scriptBeside(const QString& sound) {
    const QFileInfo info(sound);
    const QString name = info.completeBaseName() + QStringLiteral(".txt");
    // Named as the sound was: beside "take.wav" is "take.txt", not "./take.txt".
    const QString path = sound.contains(QLatin1Char('/')) ? info.dir().filePath(name) : name;
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    const FileBytes in = readFileBytes(path, SourceKinds::FilesAndPipes);
    if (in.error) {
        return std::nullopt;
    }
    DecodedText decoded = decodeToUtf8(in.bytes);
    if (decoded.error || !isProse(decoded.text, path)) {
        return std::nullopt;
    }
    return ScriptText{path, std::move(decoded.text)};
}

} // namespace mouthkey
