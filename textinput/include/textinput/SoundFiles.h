#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace mouthkey {

// A sound file is a take too: timed from its speech rather than read as text.
// What --from names it, and the extensions it comes with, lower case.
inline constexpr std::string_view soundFormatName = "sound";
inline constexpr std::array<std::string_view, 4> soundExtensions{"wav", "flac", "ogg", "mp3"};

// Whether a file's first bytes are those of a sound: RIFF WAVE, FLAC, Ogg, or
// MP3 (an ID3 tag, or an MPEG audio frame's sync). By content, so that a
// timing file named .wav by mistake is still read as one.
bool opensAsSound(QByteArrayView start);

// Whether a regular file opens as a sound. A pipe is never looked at, as
// what is read from it is gone for the reader after.
bool fileOpensAsSound(const QString& path);

// Whether a file name's extension (without its dot, in any case) is a sound's.
bool isSoundFileExtension(const QString& extension);

// A script's file and its text.
struct ScriptText {
    QString path;
    std::string text;
};

// The script beside a sound: NAME.txt, when its text is prose rather than
// timing, so that a document written beside the sound is never taken for one.
std::optional<ScriptText> scriptBeside(const QString& sound);

} // namespace mouthkey
