#pragma once

// What both Papagayo-NG project readers promise on any input: a voice at
// least, cues on frames a .dat can hold, places on lines the text has,
// checks and words that hold up whatever the names are, and a project that,
// saved as JSON, reads back as the same cues.
#include "FuzzCheck.h"

#include "conversion/PapagayoProject.h"
#include "conversion/Take.h"
#include "conversion/TimingCheck.h"
#include "textinput/PapagayoPg2.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey::fuzz {

inline constexpr std::size_t checkedVoices = 3;

// The length of each line of a text in characters, every separator the
// checks know ending a line, CR LF as one: a plain loop, apart from the
// readers' own line reading. Line n is at n - 1.
inline std::vector<std::uint64_t> lineLengths(std::string_view t) {
    std::vector<std::uint64_t> lengths;
    bool open = false; // a line has begun and not yet ended
    for (std::size_t i = 0; i < t.size(); ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        const auto next = [&](std::size_t n) {
            return i + n < t.size() ? static_cast<unsigned char>(t[i + n]) : 0;
        };
        std::size_t separator = 0;
        if (c == '\n' || c == '\v' || c == '\f' || c == '\r') {
            separator = c == '\r' && next(1) == '\n' ? 2 : 1;
        } else if (c == 0xC2 && next(1) == 0x85) {
            separator = 2;
        } else if (c == 0xE2 && next(1) == 0x80 && (next(2) & 0xFE) == 0xA8) {
            separator = 3;
        }
        if (!open) {
            lengths.push_back(0);
        }
        if (separator) {
            open = false;
            i += separator - 1;
        } else {
            open = true;
            lengths.back() += (c & 0xC0) != 0x80 ? 1 : 0;
        }
    }
    return lengths;
}

inline void checkTake(const Take& take, std::string_view text, bool columns) {
    const std::vector<std::uint64_t> lengths = lineLengths(text);
    const std::uint64_t lines = lengths.size();

    check(!take.voices.empty() && !take.timedInSeconds(), "a project gave no voice");
    for (std::size_t v = 0; v < take.voices.size(); ++v) {
        const TakeVoice& voice = take.voices[v];
        for (const Cue& cue : voice.cues) {
            check(cue.frame >= 1, "a cue before frame 1");
            check(cue.place.line >= 1 && cue.place.line <= lines, "a cue off the text's lines");
            check((cue.place.column != 0) == columns, "a cue's column where there is none");
            // A cue comes from a line that holds something: an object's brace, or a line of text.
            check(cue.place.column <= lengths[cue.place.line - 1] &&
                      lengths[cue.place.line - 1] > 0,
                  "a cue's place is past the end of its line");
        }
        const std::string dat = datText(voice.cues);
        check(dat.starts_with("MohoSwitch1\n"), "a .dat text without its header");
        if (v >= checkedVoices) {
            continue; // a converter checks one voice: a few are enough to keep inputs fast
        }
        const TimingReport report = checkCues(take, voice.cues, FrameRate(0));
        for (const Finding& f : report.findings) {
            const std::string words =
                findingText(f) + std::string(findingOutcome(f.kind)) + findingHint(f);
            check(std::none_of(words.begin(), words.end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
                  "a finding's words are not one line of text");
            check(f.lines.count == 0 || f.lines.first[0] <= std::max<std::uint64_t>(lines, 1),
                  "a finding off the text's lines");
        }
    }
}

constexpr std::int64_t exactInDouble = std::int64_t{1} << 53;

inline QString qText(const std::string& s) {
    return QString::fromStdString(s);
}

// The project as the tool saves it in JSON; nothing when a frame would lose
// digits as a JSON number.
inline std::optional<QByteArray> asJson(const PapagayoProject& project) {
    bool exact = true;
    const auto frame = [&](std::int64_t f) {
        exact = exact && f > -exactInDouble && f < exactInDouble;
        return static_cast<double>(f);
    };
    QJsonArray voices;
    for (const PapagayoVoice& voice : project.voices) {
        QJsonArray phrases;
        for (const PapagayoPhrase& phrase : voice.phrases) {
            QJsonArray words;
            for (const PapagayoWord& word : phrase.words) {
                QJsonArray phonemes;
                for (const PapagayoPhoneme& phoneme : word.phonemes) {
                    phonemes.append(QJsonObject{{"text", qText(phoneme.text)},
                                                {"frame", frame(phoneme.frame)}});
                }
                words.append(QJsonObject{{"text", qText(word.text)},
                                         {"start_frame", frame(word.startFrame)},
                                         {"end_frame", frame(word.endFrame)},
                                         {"phonemes", phonemes}});
            }
            phrases.append(QJsonObject{{"text", qText(phrase.text)},
                                       {"start_frame", frame(phrase.startFrame)},
                                       {"end_frame", frame(phrase.endFrame)},
                                       {"words", words}});
        }
        voices.append(QJsonObject{
            {"name", qText(voice.name)}, {"text", qText(voice.text)}, {"phrases", phrases}});
    }
    QJsonObject root{{"version", 2}, {"voices", voices}};
    if (project.framesPerSecond) {
        root.insert("fps", *project.framesPerSecond);
    }
    if (!exact) {
        return std::nullopt;
    }
    return QJsonDocument(root).toJson();
}

// The project saved as JSON reads back as the take's cues.
inline void checkSavedAsJson(const PapagayoProject& project, const Take& take) {
    const auto json = asJson(project);
    if (!json) {
        return;
    }
    const Take again = readPapagayoPg2(std::string_view(json->data(), json->size()));
    check(again.voices.size() == take.voices.size(), "the JSON project lost a voice");
    for (std::size_t v = 0; v < take.voices.size(); ++v) {
        const std::vector<Cue>& a = take.voices[v].cues;
        const std::vector<Cue>& b = again.voices[v].cues;
        check(take.voices[v].name == again.voices[v].name, "a voice's name changed");
        check(std::equal(a.begin(), a.end(), b.begin(), b.end(),
                         [](const Cue& x, const Cue& y) {
                             return x.frame == y.frame && x.name == y.name;
                         }),
              "the JSON project gave other cues");
    }
}

} // namespace mouthkey::fuzz
