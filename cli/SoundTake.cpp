#include "SoundTake.h"

#include "cli/SameFile.h"
#include "conversion/PhoneMouths.h"
#include "conversion/ScriptWords.h"
#include "conversion/Targets.h"
#include "speech/SoundTiming.h"
#include "textinput/FileBytes.h"
#include "textinput/TextDecoding.h"
#include "textinput/TimingFormats.h"
#include "textinput/Utf8Text.h"

#include <QDir>
#include <QFileInfo>

#include <cctype>

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

// Prose: mostly letters, no tabs, no format claims it outright and no line
// of it is one a .dat file keys; a document written beside the sound is none.
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

QString quotedWords(const std::vector<std::string>& words) {
    QStringList quoted;
    for (const std::string& word : words) {
        quoted << QStringLiteral("'%1'").arg(toQString(word));
    }
    return quoted.join(QStringLiteral(", "));
}

QString mismatchNote(const speech::ScriptMismatch& m) {
    return QStringLiteral("from %1 s to %2 s the speech and the script part ways: '%3' %4")
        .arg(m.start, 0, 'f', 2)
        .arg(m.end, 0, 'f', 2)
        .arg(toQString(m.words))
        .arg(m.skipped ? QStringLiteral("is not heard") : QStringLiteral("is heard, not written"));
}

} // namespace

std::optional<ScriptText> scriptBeside(const QString& sound) {
    const QFileInfo info(sound);
    const QString name = info.completeBaseName() + QStringLiteral(".txt");
    // Named as the sound was: beside "take.wav" is "take.txt", not "./take.txt".
    const QString path = sound.contains(QLatin1Char('/')) ? info.dir().filePath(name) : name;
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    std::optional<IoError> error;
    std::optional<std::string> text = readScript(path, error);
    if (!text || !isProse(*text, path)) {
        return std::nullopt;
    }
    return ScriptText{path, std::move(*text)};
}

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
    std::size_t wordCount = 0;
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
        wordCount = scriptWords(script).size();
        // A script with no word to find, such as one in another script, says nothing of the speech.
        if (wordCount == 0) {
            timed.notes << QStringLiteral("the script '%1' holds no English words to find in the "
                                          "speech; timed without it")
                               .arg(*timed.script);
            timed.script.reset();
            script.clear();
        }
    }
    const speech::SoundRead read =
        speech::readSound(QFile::encodeName(*request.input).toStdString());
    if (!read.sound) {
        timed.error = untimable(toQString(read.error));
        return timed;
    }
    speech::TimingRequest asked;
    asked.script = std::move(script);
    asked.modelDirectory = qEnvironmentVariable("MOUTHKEY_SPEECH_MODEL").toStdString();
    const speech::SoundTiming timing = speech::timeSound(*read.sound, asked);
    if (!timing.error.empty()) {
        timed.error = timing.error == speech::missingModelError
                          ? IoError{IoError::Kind::NotInstalled, toQString(timing.error)}
                          : untimable(toQString(timing.error));
        return timed;
    }
    if (!timing.unknownWords.empty()) {
        timed.notes << QStringLiteral("words the dictionary lacks, pronounced by rule: %1")
                           .arg(quotedWords(timing.unknownWords));
    }
    // The model knows English: a script mostly of words it lacks is likely in another language.
    if (2 * timing.unknownWords.size() > wordCount && wordCount > 0) {
        timed.notes << QStringLiteral("most of the script's words are not English ones; only "
                                      "English speech is timed well");
    }
    for (const speech::ScriptMismatch& mismatch : timing.mismatches) {
        timed.notes << mismatchNote(mismatch);
    }
    timed.take = phoneTake(timing.phones, read.sound->seconds());
    return timed;
}

} // namespace mouthkey
