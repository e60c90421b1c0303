#include "conversion/PapagayoProject.h"

#include <algorithm>

namespace mouthkey {

namespace {

// Writes the export's lines as cues, in the order the export writes them.
class ExportWriter {
public:
    explicit ExportWriter(std::vector<Cue>& cues) : m_cues(cues) {}

    void cue(std::int64_t frame, std::string_view name, const CuePlace& place) {
        if (frame >= 1) {
            m_cues.push_back({static_cast<std::uint64_t>(frame), std::string(name), place});
        }
    }

    void leaf(std::int64_t frame, std::string_view text, const CuePlace& place) {
        if (m_previous && *m_previous != text && text == "rest") {
            cue(frame, text, place); // the end of a pause, one frame early
        }
        m_previous = text;
        cue(frame + 1, text, place);
    }

private:
    std::vector<Cue>& m_cues;
    std::optional<std::string_view> m_previous;
};

} // namespace

std::vector<Cue> papagayoExportCues(const PapagayoVoice& voice) {
    std::vector<Cue> cues;
    ExportWriter out(cues);
    std::int64_t end = 1;
    CuePlace endPlace = voice.place;
    if (voice.phrases.empty()) {
        std::string text = voice.text;
        std::replace(text.begin(), text.end(), '\n', '|');
        out.leaf(0, text, voice.place);
    } else {
        if (voice.phrases.front().startFrame != 0) {
            out.cue(1, "rest", voice.phrases.front().place);
        }
        end = voice.phrases.back().endFrame;
        endPlace = voice.phrases.back().place;
    }
    for (const PapagayoPhrase& phrase : voice.phrases) {
        if (phrase.words.empty()) {
            out.leaf(phrase.startFrame, phrase.text, phrase.place);
        }
        for (const PapagayoWord& word : phrase.words) {
            if (word.phonemes.empty()) {
                out.leaf(word.startFrame, word.text, word.place);
            }
            for (const PapagayoPhoneme& phoneme : word.phonemes) {
                out.leaf(phoneme.frame, phoneme.text, phoneme.place);
            }
        }
    }
    out.cue(end + 2, "rest", endPlace);
    return cues;
}

Take papagayoTake(const PapagayoProject& project, std::vector<Finding> findings) {
    Take take;
    take.soundFile = project.soundFile;
    take.framesPerSecond = project.framesPerSecond;
    take.framesPerSecondText = project.framesPerSecondText;
    take.findings = std::move(findings);
    for (const PapagayoVoice& voice : project.voices) {
        take.voices.push_back({voice.name, papagayoExportCues(voice)});
    }
    if (take.voices.empty()) {
        take.voices.emplace_back();
    }
    return take;
}

std::string countsDisagreeText(std::string_view whose, std::int64_t declared, std::size_t found,
                               std::string_view item) {
    const std::string items = std::string(item) + (declared == 1 ? "" : "s");
    return std::string(whose) + " declares " + std::to_string(declared) + " " + items + ", " +
           std::to_string(found) + (found == 1 ? " follows" : " follow");
}

} // namespace mouthkey
