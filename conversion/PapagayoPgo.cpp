#include "conversion/PapagayoPgo.h"

#include "conversion/TimingReader.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace mouthkey {

namespace {

constexpr std::string_view spaces = " \t\r\v\f";

std::string_view trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(spaces);
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(spaces) - first + 1);
}

// The first few whitespace-separated fields of a line, as the tool splits
// it; those after them it never reads.
struct Fields {
    std::array<std::string_view, 4> part;
    std::size_t size = 0;
};

Fields fields(std::string_view s) {
    Fields out;
    for (std::size_t at = s.find_first_not_of(spaces);
         at != std::string_view::npos && out.size < out.part.size();
         at = s.find_first_not_of(spaces, at)) {
        const std::size_t end = std::min(s.find_first_of(spaces, at), s.size());
        out.part[out.size++] = s.substr(at, end - at);
        at = end;
    }
    return out;
}

// A whole number as the tool reads one: an optional sign, then digits.
// Numbers beyond the frame limit saturate.
std::optional<std::int64_t> wholeNumber(std::string_view s) {
    const bool negative = !s.empty() && s.front() == '-';
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        s.remove_prefix(1);
    }
    if (s.empty() ||
        !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    (void)end;
    const auto limit = static_cast<std::uint64_t>(papagayoFrameLimit);
    const auto magnitude = static_cast<std::int64_t>(
        error == std::errc::result_out_of_range ? limit : std::min(value, limit));
    return negative ? -magnitude : magnitude;
}

// A count of what a level declares, and where.
struct Declared {
    std::optional<std::int64_t> count;
    CuePlace place;
};

class PgoReader {
public:
    void line(std::uint64_t number, std::string_view text);
    void finish(std::uint64_t lineCount);

    PapagayoProject project;
    ReaderFindings findings;

private:
    void headerLine(std::uint64_t number, std::string_view text);
    void headerDone(std::uint64_t lastLine);
    void voiceLine(const CuePlace& place, std::string_view content);
    void phraseLine(const CuePlace& place, std::string_view content);
    void wordLine(const CuePlace& place, std::string_view content);
    void phonemeLine(const CuePlace& place, std::string_view content);
    std::optional<std::int64_t> number(const CuePlace& place, std::string_view text,
                                       std::string_view what, bool frame);
    template <class Subject> void unreadable(const CuePlace& place, Subject&& subject) {
        findings.add(Finding::Kind::UnreadableLine, place, subject);
    }
    void checkCount(const Declared& declared, std::size_t found, std::string_view whose,
                    std::string_view item);

    bool m_headerSeen = false;
    bool m_bodySeen = false;
    bool m_stopped = false;
    std::array<bool, 6> m_headerAt{}; // which of lines 2 to 5 hold something
    Declared m_voiceCount;
    // Counts in the order their levels begin, as the project is walked.
    std::vector<Declared> m_phraseCounts, m_wordCounts, m_phonemeCounts;
    int m_voiceFields = 3;  // name, text, phrase count; 3 when a new voice begins
    int m_phraseFields = 4; // text, start, end, word count
    bool m_phraseOpen = false;
    bool m_wordOpen = false;
};

void PgoReader::line(std::uint64_t number, std::string_view text) {
    if (m_stopped) {
        return;
    }
    if (!m_headerSeen) {
        m_headerSeen = true;
        if (number != 1 || trimmed(text) != "lipsync version 1") {
            findings.add(Finding::Kind::MalformedText, {number, 0}, [] {
                return std::string("no 'lipsync version 1' header: not a Papagayo-NG project");
            });
            m_stopped = true;
        }
        return;
    }
    if (number <= 5) {
        headerLine(number, text);
        return;
    }
    if (!m_bodySeen) {
        m_bodySeen = true;
        headerDone(number);
    }
    std::size_t depth = 0;
    while (depth < text.size() && text[depth] == '\t') {
        ++depth;
    }
    const CuePlace place{number, 0};
    const std::string_view content = trimmed(text.substr(depth));
    switch (depth) {
    case 1:
        voiceLine(place, content);
        break;
    case 2:
        phraseLine(place, content);
        break;
    case 3:
        wordLine(place, content);
        break;
    case 4:
        phonemeLine(place, content);
        break;
    default:
        unreadable(place, [&] {
            return "line " + quotedText(trimmed(text)) + " is not indented as a project line";
        });
    }
}

void PgoReader::headerLine(std::uint64_t number, std::string_view text) {
    m_headerAt[number] = true;
    const std::string_view value = trimmed(text);
    const CuePlace place{number, 0};
    if (number == 2) {
        project.soundFile = std::string(value);
    } else if (number == 3) {
        if (const auto fps = this->number(place, value, "the frame rate", false)) {
            project.framesPerSecond = static_cast<double>(*fps);
            project.framesPerSecondText = std::string(value);
        }
    } else if (number == 4) {
        this->number(place, value, "the sound's length", false);
    } else {
        m_voiceCount = {this->number(place, value, "the voice count", false), place};
    }
}

// The header's lines after the sound file's, which may be empty, must all be there.
void PgoReader::headerDone(std::uint64_t lastLine) {
    if (!m_headerSeen || m_stopped) {
        return;
    }
    static constexpr std::string_view names[] = {"frame rate", "sound's length", "voice count"};
    for (std::uint64_t at = 3; at <= 5; ++at) {
        if (m_headerAt[at]) {
            continue;
        }
        const std::string name(names[at - 3]);
        if (m_bodySeen || std::any_of(m_headerAt.begin() + at, m_headerAt.end(),
                                      [](bool seen) { return seen; })) {
            unreadable({at, 0}, [&] { return "the " + name + " line is empty"; });
        } else {
            findings.add(Finding::Kind::MalformedText, {lastLine, 0},
                         [&] { return "the project ends before its " + name; });
            return;
        }
    }
}

std::optional<std::int64_t> PgoReader::number(const CuePlace& place, std::string_view text,
                                              std::string_view what, bool frame) {
    const auto n = wholeNumber(text);
    if (!n) {
        unreadable(place, [&] {
            return std::string(what) + " " + quotedText(text) + " is not a whole number";
        });
    } else if (*n < 0) {
        if (frame) {
            findings.add(Finding::Kind::NegativeTime, place, [&] { return quotedText(text); });
        } else {
            unreadable(place,
                       [&] { return std::string(what) + " " + quotedText(text) + " is negative"; });
            return std::nullopt;
        }
    }
    return n;
}

void PgoReader::voiceLine(const CuePlace& place, std::string_view content) {
    if (m_voiceFields == 3 || !project.voices.back().phrases.empty()) {
        project.voices.push_back({});
        project.voices.back().place = place;
        m_phraseCounts.emplace_back();
        m_voiceFields = 0;
    }
    PapagayoVoice& voice = project.voices.back();
    switch (m_voiceFields++) {
    case 0:
        voice.name = std::string(content);
        break;
    case 1:
        voice.text = std::string(content);
        std::replace(voice.text.begin(), voice.text.end(), '|', '\n');
        break;
    default:
        m_phraseCounts.back() = {number(place, content, "the phrase count", false), place};
    }
    m_phraseOpen = m_wordOpen = false;
}

void PgoReader::phraseLine(const CuePlace& place, std::string_view content) {
    if (project.voices.empty()) {
        unreadable(place, [&] {
            return "phrase line " + quotedText(content) + " comes before any voice";
        });
        return;
    }
    std::vector<PapagayoPhrase>& phrases = project.voices.back().phrases;
    if (!m_phraseOpen || m_phraseFields == 4 || !phrases.back().words.empty()) {
        phrases.push_back({});
        phrases.back().place = place;
        m_wordCounts.emplace_back();
        m_phraseFields = 0;
        m_phraseOpen = true;
    }
    PapagayoPhrase& phrase = phrases.back();
    switch (m_phraseFields++) {
    case 0:
        phrase.text = std::string(content);
        break;
    case 1:
        phrase.startFrame = number(place, content, "the phrase's start", true).value_or(0);
        break;
    case 2:
        phrase.endFrame = number(place, content, "the phrase's end", true).value_or(0);
        break;
    default:
        m_wordCounts.back() = {number(place, content, "the word count", false), place};
    }
    m_wordOpen = false;
}

void PgoReader::wordLine(const CuePlace& place, std::string_view content) {
    if (!m_phraseOpen) {
        unreadable(place,
                   [&] { return "word line " + quotedText(content) + " comes before any phrase"; });
        return;
    }
    const Fields parts = fields(content);
    if (parts.size < 4) {
        unreadable(place, [&] {
            return "word line " + quotedText(content) +
                   " lacks the word, its start, end or phoneme count";
        });
    }
    PapagayoWord word;
    word.place = place;
    Declared declared{std::nullopt, place};
    if (parts.size > 0) {
        word.text = std::string(parts.part[0]);
    }
    if (parts.size > 1) {
        word.startFrame = number(place, parts.part[1], "the word's start", true).value_or(0);
    }
    if (parts.size > 2) {
        word.endFrame = number(place, parts.part[2], "the word's end", true).value_or(0);
    }
    if (parts.size > 3) {
        declared.count = number(place, parts.part[3], "the phoneme count", false);
    }
    project.voices.back().phrases.back().words.push_back(std::move(word));
    m_phonemeCounts.push_back(declared);
    m_wordOpen = true;
}

void PgoReader::phonemeLine(const CuePlace& place, std::string_view content) {
    if (!m_wordOpen) {
        unreadable(place, [&] {
            return "phoneme line " + quotedText(content) + " comes before any word";
        });
        return;
    }
    const Fields parts = fields(content);
    if (parts.size < 2) {
        unreadable(place, [&] {
            return "phoneme line " + quotedText(content) + " lacks a frame or a phoneme";
        });
        return;
    }
    if (const auto frame = number(place, parts.part[0], "the phoneme's frame", true)) {
        project.voices.back().phrases.back().words.back().phonemes.push_back(
            {*frame, std::string(parts.part[1]), place});
    }
}

void PgoReader::checkCount(const Declared& declared, std::size_t found, std::string_view whose,
                           std::string_view item) {
    if (declared.count && static_cast<std::uint64_t>(*declared.count) != found) {
        findings.add(Finding::Kind::CountsDisagree, declared.place,
                     [&] { return countsDisagreeText(whose, *declared.count, found, item); });
    }
}

void PgoReader::finish(std::uint64_t lineCount) {
    if (!m_bodySeen) {
        headerDone(lineCount);
    }
    if (m_stopped || findings.has(Finding::Kind::MalformedText)) {
        return;
    }
    checkCount(m_voiceCount, project.voices.size(), "the project", "voice");
    std::size_t phrases = 0, words = 0;
    for (std::size_t v = 0; v < project.voices.size(); ++v) {
        const PapagayoVoice& voice = project.voices[v];
        checkCount(m_phraseCounts[v], voice.phrases.size(), "voice " + quotedText(voice.name),
                   "phrase");
        for (const PapagayoPhrase& phrase : voice.phrases) {
            checkCount(m_wordCounts[phrases++], phrase.words.size(),
                       "phrase " + quotedText(phrase.text), "word");
            for (const PapagayoWord& word : phrase.words) {
                checkCount(m_phonemeCounts[words++], word.phonemes.size(),
                           "word " + quotedText(word.text), "phoneme");
            }
        }
    }
}

} // namespace

PapagayoProject readPapagayoPgoProject(std::string_view text, std::vector<Finding>& findings) {
    PgoReader reader;
    TimingReader lines([&](const TimingLine& line) { reader.line(line.number, line.text); });
    lines.feed(text);
    lines.finish();
    reader.finish(lines.lineCount());
    findings = reader.findings.take();
    return std::move(reader.project);
}

Take readPapagayoPgo(std::string_view text) {
    std::vector<Finding> findings;
    const PapagayoProject project = readPapagayoPgoProject(text, findings);
    return papagayoTake(project, std::move(findings));
}

} // namespace mouthkey
