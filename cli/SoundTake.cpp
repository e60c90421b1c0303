#include "SoundTake.h"

#include "cli/SameFile.h"
#include "speech/SoundTake.h"
#include "textinput/FileBytes.h"
#include "textinput/SoundFiles.h"
#include "textinput/TextDecoding.h"
#include "textinput/Utf8Text.h"

#include <QDir>
#include <QFileInfo>

namespace mouthkey {

namespace {

IoError untimable(const QString& why) {
    return {IoError::Kind::Untimable, why};
}

// The text of a script file, or why there is none: the script's error, as
// the file it names is the script.
std::optional<std::string> readScript(const QString& path, std::optional<IoError>& error) {
    const FileBytes in = readFileBytes(path, SourceKinds::FilesAndPipes);
    if (in.error) {
        error = untimable(QStringLiteral("no script: ") + in.error->describe(path));
        return std::nullopt;
    }
    DecodedText decoded = decodeToUtf8(in.bytes);
    if (decoded.error) {
        error = untimable(QStringLiteral("no script: ") + decoded.error->describe(path));
        return std::nullopt;
    }
    return std::move(decoded.text);
}

} // namespace

TimedSound timeSoundFile(const ConvertRequest& request) {
    TimedSound timed;
    if (!request.input) {
        timed.error =
            untimable(QStringLiteral("cannot time standard input: a sound is timed from a file"));
        return timed;
    }
    std::optional<ScriptText> found;
    if (request.script) {
        std::optional<std::string> text = readScript(*request.script, timed.error);
        if (!text) {
            return timed;
        }
        found = ScriptText{*request.script, std::move(*text)};
    } else {
        found = scriptBeside(*request.input);
    }
    std::string script;
    if (found) {
        timed.script = found->path;
        // What this writes must not take the place of the words it was timed by.
        const auto identity = fileIdentity(found->path);
        if (request.output && identity && fileIdentity(*request.output) == identity) {
            timed.error = {IoError::Kind::Unwritable,
                           QStringLiteral("it is the script the sound is timed by")};
            return timed;
        }
        script = std::move(found->text);
    }
    speech::TimingRequest asked;
    asked.script = std::move(script);
    speech::SoundTake sound = speech::soundTake(
        QFile::encodeName(*request.input).toStdString(), std::move(asked),
        timed.script ? QStringLiteral("'%1'").arg(*timed.script).toStdString() : std::string());
    if (!sound.byScript) {
        timed.script.reset();
    }
    for (const std::string& note : sound.notes) {
        timed.notes << toQString(note);
    }
    if (!sound.error.empty()) {
        timed.error = sound.error == speech::missingModelError
                          ? IoError{IoError::Kind::NotInstalled, toQString(sound.error)}
                          : untimable(toQString(sound.error));
        return timed;
    }
    timed.take = std::move(sound.take);
    return timed;
}

} // namespace mouthkey
