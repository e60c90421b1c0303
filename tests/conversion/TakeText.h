#pragma once

// A take as one line of text, so that a table row can state what a reader
// gives: "D 0.05 2:6, X 0.27 3:6 | finding / finding".
#include "conversion/Take.h"
#include "conversion/TimingCheck.h"

#include <charconv>
#include <string>

namespace mouthkey::test {

inline std::string takeText(const Take& take) {
    std::string text;
    for (const TimedCue& cue : take.timed) {
        // The shortest digits that read back as the same double, so a row
        // states the exact time.
        char seconds[32];
        const auto end = std::to_chars(seconds, seconds + sizeof seconds, cue.seconds).ptr;
        text += (text.empty() ? "" : ", ") + cue.name + " " + std::string(seconds, end) + " " +
                std::to_string(cue.place.line) + ":" + std::to_string(cue.place.column);
    }
    std::string findings;
    for (const Finding& f : take.findings) {
        findings += (findings.empty() ? "" : " / ") + findingText(f);
    }
    return findings.empty() ? text : text + " | " + findings;
}

} // namespace mouthkey::test
