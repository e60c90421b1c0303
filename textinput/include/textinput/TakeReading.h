#pragma once

#include "conversion/Take.h"
#include "textinput/IoError.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace mouthkey {

// The format of a timing text, told by the text itself: a project's first
// line, an XML or JSON document's root and keys, a first line of seconds and
// a tab. The file name's extension only breaks ties. Anything else is .dat,
// read line by line as ever; nothing for a text that looks like an XML or
// JSON document no reader takes.
std::optional<TimingFormat> detectFormat(std::string_view text, const QString& fileName);

// Whether a text that starts so could be in a format other than .dat, so
// that it must be held whole to be read; a .dat text streams as it is.
bool mayBeOtherThanDat(std::string_view start);

// The first few kilobytes of a file's text, decoded as decodeToUtf8 would,
// for detectFormat and mayBeOtherThanDat to look at before the whole is read.
std::string textStart(QByteArrayView raw);

// Whether a file name's extension (without its dot, in any case) is one a
// timing file comes with.
bool isTimingFileExtension(const QString& extension);

// The reader of a format; nothing for .dat, whose text is read as it stands.
std::optional<Take> readTake(TimingFormat format, std::string_view text);

// The error for a text detectFormat gives no format for.
IoError unknownFormatError();

// The voice a --voice value names: a name, exactly, or an index counted
// from 1 as the project lists them. Without a value, the first. The error
// names the voices there are.
struct VoiceChoice {
    std::size_t index = 0;
    std::optional<IoError> error;
};
VoiceChoice chooseVoice(const Take& take, const std::optional<QString>& wanted);

} // namespace mouthkey
