#pragma once

// The words of findings, shared by every front end and by the readers that
// quote their input in them.

#include "conversion/Finding.h"
#include "conversion/NumberFormat.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace mouthkey {

// Input text as a message or a tooltip shows it: at most `maxBytes` bytes,
// cut at a character boundary and then marked with an ellipsis, control
// characters as '?' so that it never moves a terminal's cursor, between quotes.
std::string shownText(std::string_view text, std::size_t maxBytes, std::string_view quote = {});

// An excerpt of input text as findings quote it: short enough for one line,
// between single quotes.
std::string quotedText(std::string_view text);

// The first lines of a sample, as "line 4" or "lines 4, 9, 12, …".
std::string linesText(const LineSample& lines, const NumberFormat& numbers = {});

// A finding as one clause naming the lines ("unknown phoneme 'ai' on 3 lines
// (4, 40, 41)"), what happens to those lines ("pasted unchanged"), and a hint
// ("did you mean 'AI'?"), which may be empty.
std::string findingText(const Finding& finding, const NumberFormat& numbers = {});
std::string_view findingOutcome(Finding::Kind kind);
// The outcome for the finding's own lines: "left out" where the document leaves them out.
std::string_view findingOutcome(const Finding& finding);
std::string findingHint(const Finding& finding);

} // namespace mouthkey
