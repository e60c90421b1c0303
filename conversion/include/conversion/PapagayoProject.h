#pragma once

#include "conversion/Take.h"
#include "conversion/TimingCheck.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

// A Papagayo-NG project as both of its file formats hold it. Frames count
// from 0, as the tool saves them, and are kept as read, negative ones too.
struct PapagayoPhoneme {
    std::int64_t frame = 0;
    std::string text;
    CuePlace place;
};

struct PapagayoWord {
    std::string text;
    std::int64_t startFrame = 0;
    std::int64_t endFrame = 0;
    std::vector<PapagayoPhoneme> phonemes;
    CuePlace place;
};

struct PapagayoPhrase {
    std::string text;
    std::int64_t startFrame = 0;
    std::int64_t endFrame = 0;
    std::vector<PapagayoWord> words;
    CuePlace place;
};

struct PapagayoVoice {
    std::string name;
    std::string text; // lines broken by '\n'
    std::vector<PapagayoPhrase> phrases;
    CuePlace place;
};

struct PapagayoProject {
    std::string soundFile;
    std::optional<double> framesPerSecond;
    std::string framesPerSecondText;
    std::vector<PapagayoVoice> voices;
};

// Frames further from 0 are read as this, so that the few frames the export
// adds never overflow. No sound is that long.
inline constexpr std::int64_t papagayoFrameLimit = std::int64_t{1} << 60;

// A voice's cues exactly as the tool's Moho (.dat) export of it writes them.
// It walks the leaves of the voice in order (phonemes; a word without
// phonemes, a phrase without words, a voice without phrases stand for
// themselves, by their text, a voice's line breaks as the .pgo writes them,
// '|', to stay one cue) and writes each at its frame plus one. Before
// them, "1 rest" when the first phrase starts after frame 0; before a leaf
// named "rest" that follows a differently named one, an extra rest at its
// frame itself; after them, a rest two frames after the last phrase's end.
// Phrases that touch or leave a gap get nothing between them. A .dat counts
// frames from 1, so a cue the export would put before frame 1 is left out.
std::vector<Cue> papagayoExportCues(const PapagayoVoice& voice);

// The take of a project: one voice per project voice (one unnamed voice
// without cues when it has none), with the reader's findings.
Take papagayoTake(const PapagayoProject& project, std::vector<Finding> findings);

// "the project declares 2 voices, 1 follows", with `whose` as "voice 'Bob'".
std::string countsDisagreeText(std::string_view whose, std::int64_t declared, std::size_t found,
                               std::string_view item);

} // namespace mouthkey
