#pragma once

// The timing texts Mouthkey writes, each read back by its format's reader to
// the same cues: a .dat text, a Rhubarb TSV and an Audacity label track.

#include "conversion/Take.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace mouthkey {

// How a take's text is written, as the file it was read from had it.
struct TimingTextStyle {
    std::string header = "MohoSwitch1"; // a .dat text's first line, as the file had it
    bool crlf = false;                  // line ends CR LF rather than LF
    double framesPerSecond = 24;        // the take's rate, for formats timed in seconds
};

// The style of a text: its header, the first non-empty line as the readers
// cut lines, and whether its first line ends at CR LF; the default where it
// has none. The rate is the caller's.
TimingTextStyle styleOfText(std::string_view text);
// The same for a text read as `format`, whose first line is a header only
// where the format writes one: a .dat text's.
TimingTextStyle styleOfText(std::string_view text, const TimingFormat& format);

// The header, then one "FRAME NAME" line a cue. A header that would not read
// back as the one header line (empty, or holding a line separator) is
// written as "MohoSwitch1".
std::string datTimingText(std::span<const Cue> cues, const TimingTextStyle& style);

// One "SECONDS<TAB>NAME" line a cue, each time the shortest that lands on the
// cue's frame (secondsText). The last cue is the line that closes the take:
// no line is added after it, so the text reads back to the same cues.
std::string tsvTimingText(std::span<const Cue> cues, const TimingTextStyle& style);

// One "START<TAB>END<TAB>NAME" line a cue: a region from the cue's time to
// the next cue's, written alike, so that no label closes the mouth; the last
// cue a point label, its end its start, since a region ending there would
// close the mouth with a cue the take does not have.
std::string labelTrackText(std::span<const Cue> cues, const TimingTextStyle& style);

// The time of a frame at a rate: of the decimals with at least one digit
// after the point (so that the text reads as a time, not a frame) that the
// readers put on the frame, the one with the fewest digits, then the
// smallest. Frame 0 and 1 are "0.0". A frame no time reaches, past what a
// double tells apart at that rate, gets the time of its start.
std::string secondsText(std::uint64_t frame, double framesPerSecond);

} // namespace mouthkey
