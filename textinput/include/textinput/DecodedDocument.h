#pragma once

#include "conversion/ChunkSink.h"
#include "conversion/DataLineConversion.h"
#include "textinput/IoError.h"

#include <QByteArrayView>

#include <cstddef>
#include <optional>

namespace mouthkey {

// Decodes a timing file's bytes and hands the whole keyframe document for the
// chosen phoneme set and frame rate to the sink, in chunks of bounded size.
//
// On a decode error the sink has received nothing at all.
std::optional<IoError>
writeDecodedDocument(QByteArrayView raw, int setIndex, int rateIndex, const ChunkSink& sink,
                     std::size_t bufferSize = DataLineConverter::defaultBufferSize);

} // namespace mouthkey
