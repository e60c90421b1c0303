// Fuzzes the reader of Papagayo-NG JSON projects: any input gives a take that
// holds what both project readers promise, and the project it read, saved
// again, reads back as the same cues.
#include "textinput/PapagayoPg2.h"

#include "PapagayoFuzzChecks.h"

using namespace mouthkey;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<Finding> findings;
    const PapagayoProject project = readPapagayoPg2Project(text, findings);
    // As readPapagayoPg2 does, without reading the text twice.
    const Take take = papagayoTake(project, findings);
    fuzz::checkTake(take, text, true);
    fuzz::checkSavedAsJson(project, take);
    return 0;
}
