// Fuzzes the fast lanes of a .dat text against the rule: for any bytes, each
// lane reads the same cues at the same places, and the same other lines, as
// keyLine does on the lines the line reader cuts. The input's length picks
// how the lanes are fed, so that every byte stays text.
#include "DatLaneReadings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

using namespace mouthkey;

namespace {

void expectSame(const lanes::Reading& lane, const lanes::Reading& rule, const char* name) {
    if (!(lane == rule)) {
        std::ostringstream out;
        out << "lane: " << lane << "\nrule: " << rule;
        std::fprintf(stderr, "invariant broken: the %s reads otherwise than the rule\n%s\n", name,
                     out.str().c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t chunk = size % 5 == 0 ? 0 : 1 + size % 67;
    const std::uint64_t decline = size % 3 == 0 ? 0 : 2 + size % 5;

    const lanes::Reading rule = lanes::byRule(text);
    expectSame(lanes::byReader(text), rule, "line reader's lane");
    expectSame(lanes::byDatCues(text), rule, "cue reader");
    if (!datlines::endsLinesOtherwise(text)) {
        expectSame(lanes::byQuickLines(text), rule, "QuickLines lane");
    }
    expectSame(lanes::byBlockLane(text, chunk, decline), rule, "checks' block lane");
    expectSame(lanes::byQuickLane(text, decline), rule, "writer's quick lane");
    return 0;
}
