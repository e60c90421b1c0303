#pragma once

#include <QString>

#include <optional>

namespace mouthkey {

// Why reading, decoding or writing a file failed. Every such operation
// reports one of these, and only the edges (the window's status and
// diagnostic lines, the converter's standard error) turn it into words.
struct IoError {
    enum class Kind {
        Unreadable,  // the source could not be read
        Undecodable, // its bytes are not valid text in the encoding they announce
        Unwritable,  // the destination could not be written
        // Its text looks like a document of some kind that no reader takes;
        // the reason lists the formats tried.
        UnknownFormat,
        // A project without the voice asked for; the reason is that voice
        // and the project's voices.
        NoSuchVoice,
        // A sound that could not be timed; the reason is the whole clause,
        // naming the file, as the recognizer words it.
        Untimable,
        // What timing a sound needs is not installed; the reason says what,
        // and where to get it.
        NotInstalled,
    };

    Kind kind = Kind::Unreadable;
    // The system's reason, or for Undecodable the encoding's name.
    QString reason;

    // One clause naming the file, e.g. "cannot read 'take1.dat': No such file
    // or directory" or "'take1.dat' is not valid UTF-8 text". Without a name
    // it speaks of standard input, or for Unwritable of standard output.
    QString describe(const std::optional<QString>& name) const;
};

} // namespace mouthkey
