#pragma once

#include "conversion/Take.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

// The take of a TSV file of letter mouth shapes: one "SECONDS<TAB>SHAPE" cue
// a line, the last line closing the take. Lines end at LF or CR LF; empty
// lines are skipped but counted. A line it cannot read is left out with a
// finding, and the rest read.
Take readRhubarbTsv(std::string_view text);

// What the readers of the lip-sync tool's files share.
namespace rhubarb {

// A time as the tool writes it ("0.05", "12.40"), correctly rounded, so that
// "0.29" is 29 / 100.0. Nothing for what is not a finite decimal number.
std::optional<double> secondsIn(std::string_view text);

// The length of the number a text opens with, "12" or "0.500000": digits,
// then maybe a point and digits; 0 where a point has no digits after it.
std::size_t decimalLength(std::string_view text);

// Whether a mouth shape's name fits a .dat line: no spaces, tabs or line
// separators, which would cut it into other tokens or lines.
bool fitsDatLine(std::string_view name);

// A reader's findings, one per kind, at every line it occurs on, with the
// subject and column of the first.
// A time as read: nothing, with a finding quoting `written`, where it is no
// number or negative.
std::optional<double> readTime(ReaderFindings& findings, std::optional<double> seconds,
                               std::string_view written, CuePlace place);
// A mouth shape as read: false, with a finding, where it is empty or does
// not fit a .dat line.
bool readShape(ReaderFindings& findings, std::string_view name, CuePlace place);

} // namespace rhubarb

} // namespace mouthkey
