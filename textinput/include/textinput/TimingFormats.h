#pragma once

#include "conversion/Take.h"

#include <QString>

#include <span>
#include <string_view>
#include <vector>

namespace mouthkey {

// The registry of the timing formats Mouthkey reads, one row each, in the
// order in which their probes are asked: a format's reader, probe and row
// are all it takes to add one. Lists of formats anywhere come from here.
std::span<const TimingFormat> timingFormats();

// The format --from names ("dat", "tsv", ...), or nothing.
const TimingFormat* formatNamed(std::string_view name);

// The rows of the formats Mouthkey writes as well as reads, in the
// registry's order: those whose cues a take can be saved as.
std::vector<const TimingFormat*> writtenFormats();

// The format of a text no probe claims but as a fallback: .dat, which streams.
const TimingFormat& defaultFormat();

// The format of a timing text, told by the text itself, as the rows' probes
// tell it: of the rows that claim it, the first whose extensions hold the
// file name's breaks a tie, else the first; then a row claiming it only by
// its own extension; then the fallback. Nothing for a text no row takes,
// such as an XML or JSON document of none of these formats.
const TimingFormat* detectFormat(std::string_view text, const QString& fileName);

// Whether a text that starts so could be in a format whose text does not
// stream, so that it must be held whole to be told; a .dat text streams.
bool mayBeOtherThanDat(std::string_view start);

// Whether a file name's extension (without its dot, in any case) is one a
// timing file comes with.
bool isTimingFileExtension(const QString& extension);

} // namespace mouthkey
