#pragma once

// The converter's help: the lists of names and the sections after the
// options, each list taken from its registry. Private to the converter.
#include <QString>

namespace mouthkey {

// "dat, tsv, xml, json, pgo, pg2 or labels": the formats --from takes.
QString formatNamesText();
// "dat, tsv or labels": the formats a take is written in.
QString writtenFormatNamesText();
// "position (default), time-remap or slider".
QString documentTargetsText();
// "position, time-remap, slider, dat, tsv or labels": all --target takes.
QString allTargetsText();
// ".dat, .tsv or .pg2": every extension of a timing file, once each.
QString extensionsText();
// The examples, formats, targets and exit statuses after the options.
QString examplesText();

} // namespace mouthkey
