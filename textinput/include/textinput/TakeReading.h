#pragma once

#include "conversion/Take.h"
#include "textinput/IoError.h"
#include "textinput/TimingFormats.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace mouthkey {

// The first few kilobytes of a file's text, decoded as decodeToUtf8 would,
// for detectFormat and mayBeOtherThanDat to look at before the whole is read.
std::string textStart(QByteArrayView raw);

// The take a front end reads whole; nothing for a format whose text
// streams, which is converted as it stands.
std::optional<Take> readTake(const TimingFormat& format, std::string_view text);

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
