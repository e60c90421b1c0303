#include "cli/ConvertJob.h"

#include "cli/DocumentOutput.h"
#include "textinput/DecodedDocument.h"
#include "textinput/FileBytes.h"

namespace mouthkey {

std::optional<IoError> runConversion(const ConvertRequest& request) {
    // The whole input is read before the output is touched, so converting a
    // file onto itself is safe.
    const FileBytes in = request.input ? readFileBytes(*request.input, SourceKinds::FilesAndPipes)
                                       : readStandardInput();
    if (in.error) {
        return in.error;
    }

    DocumentOutput out(request.output);
    if (auto error = out.open()) {
        return error;
    }
    // Large chunks keep the number of write calls small on big files.
    constexpr std::size_t outputChunkSize = 1 << 20;
    if (auto error = writeDecodedDocument(
            in.bytes, request.setIndex, request.rateIndex,
            [&out](std::string_view chunk) { out.write(chunk); }, outputChunkSize)) {
        return error;
    }
    return out.commit();
}

QString describeFailure(const IoError& error, const ConvertRequest& request) {
    return error.describe(error.kind == IoError::Kind::Unwritable ? request.output : request.input);
}

} // namespace mouthkey
