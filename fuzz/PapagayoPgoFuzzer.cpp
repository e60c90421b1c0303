// Fuzzes the reader of .pgo projects: any input gives a take that holds what
// both project readers promise, and the project it read, saved as the JSON
// project, reads back as the same cues.
#include "conversion/PapagayoPgo.h"
#include "textinput/PapagayoPg2.h"

#include "PapagayoFuzzChecks.h"

#include <QByteArrayView>

using namespace mouthkey;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<Finding> findings;
    const PapagayoProject project = readPapagayoPgoProject(text, findings);
    // As readPapagayoPgo does, without reading the text twice.
    const Take take = papagayoTake(project, findings);
    fuzz::checkTake(take, text, false);
    fuzz::check(take.voices.size() == std::max<std::size_t>(project.voices.size(), 1),
                "a voice more or less than the project has");

    // Both formats of one project give one take. Text that is not UTF-8 would
    // change on its way into JSON, so only UTF-8 makes the trip.
    if (!QByteArrayView(data, static_cast<qsizetype>(size)).isValidUtf8()) {
        return 0;
    }
    fuzz::checkSavedAsJson(project, take);
    return 0;
}
