#include "textinput/PapagayoPg2.h"

#include "conversion/TextPlaces.h"
#include "textinput/JsonReading.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace mouthkey {

namespace {

// Where each part of the project begins, found by a scan of text the parser
// has taken: entries follow the parser's arrays index for index, and a key
// given twice keeps its last value, as the parser does.
struct WordAt {
    std::size_t offset = 0;
    std::vector<std::size_t> phonemes;
};
struct PhraseAt {
    std::size_t offset = 0;
    std::vector<WordAt> words;
};
struct VoiceAt {
    std::size_t offset = 0;
    std::vector<PhraseAt> phrases;
};
struct ProjectAt {
    std::size_t offset = 0;
    std::vector<VoiceAt> voices;
    std::size_t fps = 0;
    std::string_view fpsText;
    std::size_t voiceCount = 0;
};

enum class Level { Root, Voices, Voice, Phrases, Phrase, Words, Word, Phonemes, Phoneme, Other };

struct Open {
    Level level;
    bool object;
    std::string_view key;
};

Level levelOf(const std::vector<Open>& stack, char c) {
    if (stack.empty()) {
        return c == '{' ? Level::Root : Level::Other;
    }
    const Open& parent = stack.back();
    const auto inArray = [&](Level array, Level item) {
        return parent.level == array && c == '{' ? item : Level::Other;
    };
    const auto keyed = [&](Level object, std::string_view key, Level array) {
        return parent.level == object && parent.key == key && c == '[' ? array : Level::Other;
    };
    switch (parent.level) {
    case Level::Root:
        return keyed(Level::Root, "voices", Level::Voices);
    case Level::Voices:
        return inArray(Level::Voices, Level::Voice);
    case Level::Voice:
        return keyed(Level::Voice, "phrases", Level::Phrases);
    case Level::Phrases:
        return inArray(Level::Phrases, Level::Phrase);
    case Level::Phrase:
        return keyed(Level::Phrase, "words", Level::Words);
    case Level::Words:
        return inArray(Level::Words, Level::Word);
    case Level::Word:
        return keyed(Level::Word, "phonemes", Level::Phonemes);
    case Level::Phonemes:
        return inArray(Level::Phonemes, Level::Phoneme);
    default:
        return Level::Other;
    }
}

// A value starting at `at` in the open container on top of the stack.
void noteValue(ProjectAt& project, const std::vector<Open>& stack, Level level, std::size_t at) {
    if (level == Level::Root) {
        project.offset = at;
    } else if (level == Level::Voices) {
        project.voices.clear();
    } else if (level == Level::Phrases) {
        project.voices.back().phrases.clear();
    } else if (level == Level::Words) {
        project.voices.back().phrases.back().words.clear();
    } else if (level == Level::Phonemes) {
        project.voices.back().phrases.back().words.back().phonemes.clear();
    }
    if (stack.empty()) {
        return;
    }
    switch (stack.back().level) {
    case Level::Voices:
        project.voices.push_back({at, {}});
        break;
    case Level::Phrases:
        project.voices.back().phrases.push_back({at, {}});
        break;
    case Level::Words:
        project.voices.back().phrases.back().words.push_back({at, {}});
        break;
    case Level::Phonemes:
        project.voices.back().phrases.back().words.back().phonemes.push_back(at);
        break;
    default:
        break;
    }
}

ProjectAt scanProject(std::string_view t) {
    ProjectAt project;
    std::vector<Open> stack;
    bool keyNext = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ':') {
            continue;
        }
        if (c == ',') {
            keyNext = !stack.empty() && stack.back().object;
            continue;
        }
        if (c == '}' || c == ']') {
            stack.pop_back();
            keyNext = false;
            continue;
        }
        std::size_t end = i + 1;
        if (c == '"') {
            while (t[end] != '"') {
                end += t[end] == '\\' ? 2 : 1;
            }
            if (keyNext) {
                stack.back().key = t.substr(i + 1, end - i - 1);
                keyNext = false;
                i = end;
                continue;
            }
        }
        const Level level = levelOf(stack, c);
        noteValue(project, stack, level, i);
        if (c == '{' || c == '[') {
            stack.push_back({level, c == '{', {}});
            keyNext = c == '{';
            continue;
        }
        if (c != '"') {
            while (end < t.size() && std::string_view(",]} \t\n\r").find(t[end]) == t.npos) {
                ++end;
            }
            if (stack.size() == 1 && stack.back().key == "fps") {
                project.fps = i;
                project.fpsText = t.substr(i, end - i);
            } else if (stack.size() == 1 && stack.back().key == "num_voices") {
                project.voiceCount = i;
            }
            --end; // the loop steps past the token's last byte
        }
        i = end;
    }
    return project;
}

std::string jsonText(const QJsonValue& v) {
    switch (v.type()) {
    case QJsonValue::String:
        return quotedText(v.toString().toStdString());
    case QJsonValue::Double:
        return QByteArray::number(v.toDouble(), 'g', QLocale::FloatingPointShortest).toStdString();
    case QJsonValue::Bool:
        return v.toBool() ? "true" : "false";
    case QJsonValue::Array:
        return "[\xE2\x80\xA6]";
    case QJsonValue::Object:
        return "{\xE2\x80\xA6}";
    default:
        return "null";
    }
}

class Pg2Reader {
public:
    explicit Pg2Reader(std::string_view text) : m_lines(text), m_at(scanProject(text)) {}

    PapagayoProject read(const QJsonObject& root);
    ReaderFindings findings;

private:
    PapagayoVoice voice(const QJsonObject& o, const VoiceAt* at, const CuePlace& place);
    PapagayoPhrase phrase(const QJsonObject& o, const PhraseAt* at, const CuePlace& place);
    PapagayoWord word(const QJsonObject& o, const WordAt* at, const CuePlace& place);
    std::optional<std::int64_t> frame(const QJsonObject& o, const char* key, const CuePlace& place,
                                      std::string_view what);
    // The objects of an array, each with its place; other entries are findings.
    template <class At, class Each>
    void objects(const QJsonValue& array, const std::vector<At>* at, const CuePlace& outer,
                 std::string_view what, Each&& each);

    static std::size_t offsetOf(std::size_t offset) { return offset; }
    template <class At> static std::size_t offsetOf(const At& at) { return at.offset; }

    TextPlaces m_lines;
    ProjectAt m_at;
};

template <class At, class Each>
void Pg2Reader::objects(const QJsonValue& array, const std::vector<At>* at, const CuePlace& outer,
                        std::string_view what, Each&& each) {
    const QJsonArray items = array.toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const auto index = static_cast<std::size_t>(i);
        const At* itemAt = at && index < at->size() ? &(*at)[index] : nullptr;
        const CuePlace place = itemAt ? m_lines.at(offsetOf(*itemAt)) : outer;
        if (items[i].isObject()) {
            each(items[i].toObject(), itemAt, place);
        } else {
            findings.add(Finding::Kind::UnreadableLine, place, [&] {
                return std::string(what) + " " + jsonText(items[i]) + " is not an object";
            });
        }
    }
}

std::optional<std::int64_t> Pg2Reader::frame(const QJsonObject& o, const char* key,
                                             const CuePlace& place, std::string_view what) {
    const QJsonValue v = o.value(QLatin1StringView(key));
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d != std::floor(d)) {
            findings.add(Finding::Kind::UnreadableLine, place, [&] {
                return std::string(what) + " " + jsonText(v) + " is not a whole number";
            });
            return std::nullopt;
        }
        const double limit = static_cast<double>(papagayoFrameLimit);
        const auto n = static_cast<std::int64_t>(std::clamp(d, -limit, limit));
        if (n < 0) {
            findings.add(Finding::Kind::NegativeTime, place, [&] { return jsonText(v); });
        }
        return n;
    }
    if (v.isUndefined()) {
        findings.add(Finding::Kind::UnreadableLine, place,
                     [&] { return std::string(what) + " is missing: no '" + key + "'"; });
    } else {
        findings.add(Finding::Kind::TimeNotANumber, place, [&] { return jsonText(v); });
    }
    return std::nullopt;
}

PapagayoProject Pg2Reader::read(const QJsonObject& root) {
    PapagayoProject project;
    const CuePlace rootPlace = m_lines.at(m_at.offset);
    project.soundFile = root.value(QLatin1StringView("sound_path")).toString().toStdString();
    const QJsonValue fps = root.value(QLatin1StringView("fps"));
    if (fps.isDouble()) {
        project.framesPerSecond = fps.toDouble();
        project.framesPerSecondText = std::string(m_at.fpsText);
    } else if (fps.isUndefined()) {
        findings.add(Finding::Kind::UnreadableLine, rootPlace,
                     [] { return std::string("the project has no frame rate ('fps')"); });
    } else {
        findings.add(Finding::Kind::UnreadableLine, m_lines.at(m_at.fps),
                     [&] { return "the frame rate " + jsonText(fps) + " is not a number"; });
    }
    objects(root.value(QLatin1StringView("voices")), &m_at.voices, rootPlace, "voice",
            [&](const QJsonObject& o, const VoiceAt* at, const CuePlace& place) {
                project.voices.push_back(voice(o, at, place));
            });
    const QJsonValue count = root.value(QLatin1StringView("num_voices"));
    if (count.isDouble() && count.toDouble() != static_cast<double>(project.voices.size())) {
        findings.add(Finding::Kind::CountsDisagree, m_lines.at(m_at.voiceCount), [&] {
            return countsDisagreeText("the project", count.toInteger(), project.voices.size(),
                                      "voice");
        });
    }
    return project;
}

PapagayoVoice Pg2Reader::voice(const QJsonObject& o, const VoiceAt* at, const CuePlace& place) {
    PapagayoVoice voice;
    voice.place = place;
    voice.name = o.value(QLatin1StringView("name")).toString().toStdString();
    voice.text = o.value(QLatin1StringView("text")).toString().toStdString();
    objects(o.value(QLatin1StringView("phrases")), at ? &at->phrases : nullptr, place, "phrase",
            [&](const QJsonObject& p, const PhraseAt* pAt, const CuePlace& pPlace) {
                voice.phrases.push_back(phrase(p, pAt, pPlace));
            });
    return voice;
}

PapagayoPhrase Pg2Reader::phrase(const QJsonObject& o, const PhraseAt* at, const CuePlace& place) {
    PapagayoPhrase phrase;
    phrase.place = place;
    phrase.text = o.value(QLatin1StringView("text")).toString().toStdString();
    phrase.startFrame = frame(o, "start_frame", place, "a phrase's start").value_or(0);
    phrase.endFrame = frame(o, "end_frame", place, "a phrase's end").value_or(0);
    objects(o.value(QLatin1StringView("words")), at ? &at->words : nullptr, place, "word",
            [&](const QJsonObject& w, const WordAt* wAt, const CuePlace& wPlace) {
                phrase.words.push_back(word(w, wAt, wPlace));
            });
    return phrase;
}

PapagayoWord Pg2Reader::word(const QJsonObject& o, const WordAt* at, const CuePlace& place) {
    PapagayoWord word;
    word.place = place;
    word.text = o.value(QLatin1StringView("text")).toString().toStdString();
    word.startFrame = frame(o, "start_frame", place, "a word's start").value_or(0);
    word.endFrame = frame(o, "end_frame", place, "a word's end").value_or(0);
    objects(o.value(QLatin1StringView("phonemes")), at ? &at->phonemes : nullptr, place, "phoneme",
            [&](const QJsonObject& p, const std::size_t*, const CuePlace& pPlace) {
                if (const auto f = frame(p, "frame", pPlace, "a phoneme's frame")) {
                    word.phonemes.push_back(
                        {*f, p.value(QLatin1StringView("text")).toString().toStdString(), pPlace});
                }
            });
    return word;
}

} // namespace

PapagayoProject readPapagayoPg2Project(std::string_view text, std::vector<Finding>& findings) {
    ReaderFindings malformed;
    const std::optional<QJsonObject> root =
        jsonRootObject(text, malformed, "the project is not an object");
    if (!root) {
        findings = malformed.take();
        return {};
    }
    Pg2Reader reader(text);
    PapagayoProject project = reader.read(*root);
    findings = reader.findings.take();
    return project;
}

Take readPapagayoPg2(std::string_view text) {
    std::vector<Finding> findings;
    const PapagayoProject project = readPapagayoPg2Project(text, findings);
    return papagayoTake(project, std::move(findings));
}

} // namespace mouthkey
