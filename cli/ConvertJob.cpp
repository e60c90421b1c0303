#include "cli/ConvertJob.h"

#include "cli/DocumentOutput.h"
#include "cli/DocumentStream.h"
#include "textinput/FileBytes.h"

#include <algorithm>

namespace mouthkey {

namespace {

QString describeInputError(const TextInputError& error, const std::optional<QString>& input) {
    if (input) {
        return error.describe(*input);
    }
    if (error.kind == TextInputError::Kind::Undecodable) {
        return QStringLiteral("standard input is not valid %1 text").arg(error.reason);
    }
    return QStringLiteral("cannot read standard input: %1").arg(error.reason);
}

} // namespace

std::optional<QString> runConversion(const ConvertRequest& request) {
    // The whole input is read before the output is touched, so converting a
    // file onto itself is safe.
    const FileBytes in = request.input ? readFileBytes(*request.input, SourceKinds::FilesAndPipes)
                                       : readStandardInput();
    if (in.error) {
        return describeInputError(*in.error, request.input);
    }

    DocumentOutput out(request.output);
    if (!out.open()) {
        return out.error();
    }
    // Large chunks keep the number of write calls small on big files. A small
    // file's document, a few times its size, fits a smaller buffer: clearing
    // 1 MiB for each of hundreds of small files costs more than converting them.
    const std::size_t outputChunkSize =
        std::clamp<std::size_t>(4 * static_cast<std::size_t>(in.bytes.size()), 64 << 10, 1 << 20);
    if (const auto error = streamDocument(
            in.bytes, request.setIndex, request.rateIndex,
            [&out](std::string_view chunk) { out.write(chunk); }, outputChunkSize)) {
        return describeInputError(*error, request.input);
    }
    if (!out.commit()) {
        return out.error();
    }
    return std::nullopt;
}

} // namespace mouthkey
