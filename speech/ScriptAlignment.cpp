#include "ScriptAlignment.h"

#include "Segmentation.h"
#include "SoundTimingDetail.h"
#include "conversion/ScriptWords.h"

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/fsg_model.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <set>
#include <sstream>

namespace mouthkey::speech {
namespace {

constexpr double framesPerSecond = 100; // the decoder's default -frate
// A frame's window of sound reaches about this far past the frame's start,
// and the phones it hears are that much late by the frame's count. Measured
// on synthesized takes: 10 ms later scores best.
constexpr double frameLead = 0.010;
constexpr std::size_t feedSamples = 1600; // a tenth of a second between cancel checks
// How many words in a row the speaker may leave out.
constexpr int longestSkip = 3;
// Sound either side of a run of words that its phones are heard in.
constexpr double runMargin = 0.15;
// A pause between words this long ends a run.
constexpr double runPause = 0.25;
// Between the words found, a stretch this long and mostly louder than the
// silence is speech the script does not have.
constexpr double shortestUnwritten = 0.3;
constexpr double unwrittenLoudShare = 0.6;

// The phones as words of their own, for the grammar of a run's phones.
constexpr std::array<const char*, 39> modelPhones{
    "AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D", "DH", "EH", "ER", "EY",
    "F",  "G",  "HH", "IH", "IY", "JH", "K",  "L",  "M", "N",  "NG", "OW", "OY",
    "P",  "R",  "S",  "SH", "T",  "TH", "UH", "UW", "V", "W",  "Y",  "Z",  "ZH"};
const std::string phoneWordPrefix = "phone.";

double secondsAt(int frame) {
    return frame / framesPerSecond + frameLead;
}

bool isFiller(const std::string& unit) {
    return unit.empty() || unit == "<s>" || unit == "</s>" || unit == "<sil>" ||
           unit.front() == '+' || unit.front() == '[';
}

// "read(2)", the second pronunciation of "read", is the word "read".
std::string baseWord(const std::string& unit) {
    const std::size_t paren = unit.find('(');
    return paren == std::string::npos || paren == 0 ? unit : unit.substr(0, paren);
}

std::vector<std::string> splitPhones(const std::string& pronunciation) {
    std::istringstream in(pronunciation);
    std::vector<std::string> phones;
    for (std::string phone; in >> phone;)
        phones.push_back(phone);
    return phones;
}

struct DecoderFree {
    void operator()(ps_decoder_t* ps) const { ps_free(ps); }
};
using Decoder = std::unique_ptr<ps_decoder_t, DecoderFree>;

Decoder createDecoder(const ModelFiles& model, const AlignmentSettings& settings) {
    // Beams wide enough that the script's path is not pruned: a take is
    // short beside what the decoder can search.
    Decoder decoder(makeDecoder(
        model, {{"-beam", "1e-80"}, {"-wbeam", "1e-60"}, {"-pbeam", "1e-80"}}, settings.options));
    if (!decoder)
        return nullptr;
    for (const char* phone : modelPhones)
        ps_add_word(decoder.get(), (phoneWordPrefix + phone).c_str(), phone, FALSE);
    return decoder;
}

// What the decoder heard: a unit (word, phone word or filler) and its frames.
struct Segment {
    std::string unit;
    int first = 0;
    int last = 0;
};

// Feeds sound to the decoder's current search, telling the progress on the
// caller's thread as it goes. Nothing when the progress cancels.
class Feeder {
public:
    Feeder(const TimingRequest& request, std::size_t total) : m_request(request), m_total(total) {}

    std::optional<std::vector<Segment>> decode(ps_decoder_t* ps,
                                               std::span<const std::int16_t> samples) {
        std::vector<Segment> segments;
        if (ps_start_utt(ps) < 0)
            return segments;
        for (std::size_t at = 0; at < samples.size(); at += feedSamples) {
            const std::size_t count = std::min(feedSamples, samples.size() - at);
            ps_process_raw(ps, samples.data() + at, count, FALSE, FALSE);
            m_done += static_cast<double>(count);
            if (m_request.progress && !m_request.progress(done())) {
                ps_end_utt(ps);
                return std::nullopt;
            }
        }
        ps_end_utt(ps);
        if (!ps_get_hyp(ps, nullptr))
            return segments;
        for (ps_seg_t* seg = ps_seg_iter(ps); seg; seg = ps_seg_next(seg)) {
            Segment s;
            ps_seg_frames(seg, &s.first, &s.last);
            s.unit = ps_seg_word(seg);
            segments.push_back(std::move(s));
        }
        // The decoder counts frames on from the utterance before; the best
        // path starts at this utterance's first frame.
        const int base = segments.empty() ? 0 : segments.front().first;
        for (Segment& s : segments) {
            s.first -= base;
            s.last -= base;
        }
        return segments;
    }

    // Short of the end until the timing is all done.
    double done() const {
        return m_total > 0 ? std::min(m_done / static_cast<double>(m_total), 0.99) : 0.0;
    }

private:
    const TimingRequest& m_request;
    std::size_t m_total;
    double m_done = 0;
};

// Sets a grammar of `units` in order on the decoder; with a skip
// probability, any unit may be left out, up to a few in a row.
bool setGrammar(ps_decoder_t* ps, const char* name, const std::vector<std::string>& units,
                double skipProbability) {
    const bool skips = skipProbability > 0;
    logmath_t* lmath = ps_get_logmath(ps);
    const auto n = static_cast<int32>(units.size());
    fsg_model_t* fsg = fsg_model_init(name, lmath, 1.0f, n + 1);
    fsg->start_state = 0;
    fsg->final_state = n;
    const int32 say = logmath_log(lmath, skips ? 1.0 - skipProbability : 1.0);
    for (int32 i = 0; i < n; ++i) {
        const int32 wid = fsg_model_word_add(fsg, units[static_cast<std::size_t>(i)].c_str());
        fsg_model_trans_add(fsg, i, i + 1, say, wid);
        for (int32 k = 1; skips && k <= longestSkip && i + k <= n; ++k)
            fsg_model_null_trans_add(fsg, i, i + k,
                                     logmath_log(lmath, std::pow(skipProbability, k)));
    }
    const bool set = ps_set_fsg(ps, name, fsg) == 0 && ps_set_search(ps, name) == 0;
    fsg_model_free(fsg); // the search keeps its own reference
    return set;
}

// A script word found in the sound.
struct HeardWord {
    std::size_t index = 0;           // in the script's words
    std::vector<std::string> phones; // as the decoder heard it said
    double start = 0;
    double end = 0;
};

// The script's words found in the sound, in order, by a grammar in which
// each may be left out with `skip`'s probability. Empty when the decoder
// could not follow the grammar to its end; nothing when cancelled.
std::optional<std::vector<HeardWord>> hearWords(ps_decoder_t* ps, const Sound& sound,
                                                const std::vector<std::string>& words, double skip,
                                                Feeder& feeder) {
    std::vector<HeardWord> heard;
    if (!setGrammar(ps, "script", words, skip))
        return heard;
    std::optional<std::vector<Segment>> segments = feeder.decode(ps, sound.samples);
    if (!segments)
        return std::nullopt;
    std::size_t next = 0;
    for (const Segment& s : *segments) {
        if (isFiller(s.unit))
            continue;
        const auto found = std::find(words.begin() + static_cast<std::ptrdiff_t>(next), words.end(),
                                     baseWord(s.unit));
        if (found == words.end())
            continue;
        HeardWord h;
        h.index = static_cast<std::size_t>(found - words.begin());
        if (char* pronunciation = ps_lookup_word(ps, s.unit.c_str())) {
            h.phones = splitPhones(pronunciation);
            ckd_free(pronunciation);
        }
        h.start = secondsAt(s.first);
        h.end = secondsAt(s.last + 1);
        next = h.index + 1;
        if (!h.phones.empty())
            heard.push_back(std::move(h));
    }
    return heard;
}

// How long a phone tends to last, relative to a consonant's.
double phoneWeight(const std::string& phone) {
    const MouthClass c = mouthClass(mouthForPhone(phone));
    const bool vowel = c == MouthClass::Open || c == MouthClass::Mid || c == MouthClass::Round;
    return vowel && phone != "W" ? 1.6 : 1.0;
}

void shareTime(const HeardWord& word, std::vector<TimedPhone>& phones) {
    double total = 0;
    for (const std::string& phone : word.phones)
        total += phoneWeight(phone);
    double at = word.start;
    for (const std::string& phone : word.phones) {
        const double next = at + (word.end - word.start) * phoneWeight(phone) / total;
        phones.push_back({phone, at, next});
        at = next;
    }
}

// The phones of a run of words, heard in the run's own sound; nothing when
// the decoder could not follow them.
std::optional<std::vector<TimedPhone>> hearRun(ps_decoder_t* ps, const Sound& sound,
                                               std::span<const HeardWord> run, double from,
                                               double to, Feeder& feeder) {
    std::vector<std::string> units;
    for (const HeardWord& word : run)
        for (const std::string& phone : word.phones)
            units.push_back(phoneWordPrefix + phone);
    if (!setGrammar(ps, "phones", units, 0))
        return std::vector<TimedPhone>{};
    const auto begin = static_cast<std::size_t>(from * soundRate);
    const auto end = std::min(sound.samples.size(), static_cast<std::size_t>(to * soundRate));
    if (end <= begin)
        return std::vector<TimedPhone>{};
    std::optional<std::vector<Segment>> heard =
        feeder.decode(ps, std::span(sound.samples).subspan(begin, end - begin));
    if (!heard)
        return std::nullopt;
    std::vector<TimedPhone> phones;
    const double offset = static_cast<double>(begin) / soundRate;
    for (const Segment& s : *heard) {
        if (s.unit.rfind(phoneWordPrefix, 0) != 0)
            continue;
        phones.push_back({baseWord(s.unit.substr(phoneWordPrefix.size())),
                          offset + secondsAt(s.first), offset + secondsAt(s.last + 1)});
    }
    if (phones.size() != units.size())
        return std::vector<TimedPhone>{};
    return phones;
}

// Where the sound has speech between the words found (or before the first,
// or after the last) that the script does not have: the speaker said more.
std::vector<ScriptMismatch> unwrittenSpeech(const Sound& sound,
                                            const std::vector<HeardWord>& heard) {
    const std::vector<bool> loud = loudFrames(sound.samples, soundRate);
    const auto loudShare = [&loud](double from, double to) {
        const auto first = std::min(loud.size(), static_cast<std::size_t>(from / loudFrameSeconds));
        const auto last = std::min(loud.size(), static_cast<std::size_t>(to / loudFrameSeconds));
        if (last <= first)
            return 0.0;
        const auto count = std::count(loud.begin() + static_cast<std::ptrdiff_t>(first),
                                      loud.begin() + static_cast<std::ptrdiff_t>(last), true);
        return static_cast<double>(count) / static_cast<double>(last - first);
    };
    std::vector<ScriptMismatch> found;
    double at = 0;
    for (std::size_t h = 0; h <= heard.size(); ++h) {
        const double next = h < heard.size() ? heard[h].start : sound.seconds();
        if (next - at >= shortestUnwritten && loudShare(at, next) >= unwrittenLoudShare)
            found.push_back({at, next, {}, true});
        if (h < heard.size())
            at = heard[h].end;
    }
    return found;
}

// Phones in time order, with silence in every gap and to the sound's end.
std::vector<TimedPhone> covered(const std::vector<TimedPhone>& phones, double seconds) {
    std::vector<TimedPhone> all;
    double at = 0;
    for (const TimedPhone& p : phones) {
        const double start = std::max(p.start, at);
        const double end = std::min(p.end, seconds);
        if (end <= start)
            continue;
        if (start > at) {
            if (!all.empty() && all.back().phone == "SIL")
                all.back().end = start;
            else
                all.push_back({"SIL", at, start});
        }
        all.push_back({p.phone, start, end});
        at = end;
    }
    if (at < seconds) {
        if (!all.empty() && all.back().phone == "SIL")
            all.back().end = seconds;
        else
            all.push_back({"SIL", at, seconds});
    }
    return all;
}

} // namespace

SoundTiming alignScriptWith(const Sound& sound, const TimingRequest& request,
                            const ModelFiles& model, const AlignmentSettings& settings) {
    SoundTiming timing;
    const std::vector<ScriptWord> script = scriptWords(request.script);
    Decoder decoder = createDecoder(model, settings);
    if (!decoder) {
        timing.error =
            "the English speech model cannot be loaded; reinstall it (Debian: pocketsphinx-en-us)";
        return timing;
    }
    ps_decoder_t* ps = decoder.get();

    std::vector<std::string> words;
    std::set<std::string> unknown;
    for (const ScriptWord& w : script) {
        if (char* known = ps_lookup_word(ps, w.word.c_str())) {
            ckd_free(known);
        } else if (unknown.insert(w.word).second) {
            std::string phones;
            for (const std::string& phone : letterSounds(w.word))
                phones += (phones.empty() ? "" : " ") + phone;
            ps_add_word(ps, w.word.c_str(), phones.c_str(), FALSE);
            timing.unknownWords.push_back(w.word);
        }
        words.push_back(w.word);
    }

    // A word pass and a phone pass, each hearing the sound about once; a
    // word pass tried again only holds the progress back.
    Feeder feeder(request, 2 * sound.samples.size());
    std::vector<HeardWord> heard;
    for (const double skip : settings.skipLadder) {
        if (words.empty() || !heard.empty())
            break;
        std::optional<std::vector<HeardWord>> found = hearWords(ps, sound, words, skip, feeder);
        if (!found) {
            timing.cancelled = true;
            return timing;
        }
        heard = std::move(*found);
    }

    if (heard.empty()) {
        // The script is not in the sound: its phones as heard without it,
        // the progress going on from where the word passes left it.
        TimingRequest plain = request;
        plain.script.clear();
        const double before = feeder.done();
        if (request.progress)
            plain.progress = [&](double done) {
                return request.progress(before + (1 - before) * done);
            };
        SoundTiming heardPlain = timeSoundWith(sound, plain, model, RecognizerSettings{});
        heardPlain.unknownWords = std::move(timing.unknownWords);
        if (!words.empty() && heardPlain.error.empty() && !heardPlain.cancelled)
            heardPlain.mismatches.push_back({0, sound.seconds(), request.script, false});
        return heardPlain;
    }

    // The script's words not heard, each run of them between its
    // neighbours, and speech heard there or elsewhere between them that
    // the script does not have.
    std::vector<ScriptMismatch> unwritten = unwrittenSpeech(sound, heard);
    for (std::size_t h = 0, i = 0; i < words.size();) {
        if (h < heard.size() && heard[h].index == i) {
            ++h;
            ++i;
            continue;
        }
        ScriptMismatch m;
        m.start = h > 0 ? heard[h - 1].end : 0;
        m.end = h < heard.size() ? heard[h].start : sound.seconds();
        const std::size_t until = h < heard.size() ? heard[h].index : words.size();
        for (; i < until; ++i)
            m.words += (m.words.empty() ? "" : " ") + words[i];
        timing.mismatches.push_back(std::move(m));
    }
    // Speech where words were not heard is told with them; elsewhere on its own.
    for (const ScriptMismatch& u : unwritten) {
        const auto same = std::find_if(
            timing.mismatches.begin(), timing.mismatches.end(),
            [&u](const ScriptMismatch& m) { return m.start == u.start && m.end == u.end; });
        if (same != timing.mismatches.end())
            same->unwritten = true;
        else
            timing.mismatches.push_back(u);
    }

    std::vector<TimedPhone> phones;
    for (std::size_t first = 0; first < heard.size();) {
        std::size_t last = first;
        while (last + 1 < heard.size() && heard[last + 1].start - heard[last].end < runPause)
            ++last;
        const std::span<const HeardWord> run(heard.data() + first, last - first + 1);
        const double from =
            std::max(first > 0 ? heard[first - 1].end : 0.0, run.front().start - runMargin);
        const double to =
            std::min(last + 1 < heard.size() ? heard[last + 1].start : sound.seconds(),
                     run.back().end + runMargin);
        std::optional<std::vector<TimedPhone>> runPhones;
        if (settings.phoneTiming == PhoneTiming::Heard) {
            runPhones = hearRun(ps, sound, run, from, to, feeder);
            if (!runPhones) {
                timing.cancelled = true;
                return timing;
            }
        }
        if (!runPhones || runPhones->empty()) {
            runPhones.emplace();
            for (const HeardWord& word : run)
                shareTime(word, *runPhones);
        }
        phones.insert(phones.end(), runPhones->begin(), runPhones->end());
        first = last + 1;
    }
    // Speech the script does not have is timed as heard, by its phones alone.
    for (const ScriptMismatch& m : unwritten) {
        const auto begin = static_cast<std::size_t>(m.start * soundRate);
        const auto end =
            std::min(sound.samples.size(), static_cast<std::size_t>(m.end * soundRate));
        Sound stretch;
        stretch.samples.assign(sound.samples.begin() + static_cast<std::ptrdiff_t>(begin),
                               sound.samples.begin() + static_cast<std::ptrdiff_t>(end));
        TimingRequest alone;
        alone.threads = 1;
        if (request.progress)
            alone.progress = [&](double) {
                return request.progress(feeder.done());
            };
        const SoundTiming heardAlone = timeSoundWith(stretch, alone, model, RecognizerSettings{});
        if (heardAlone.cancelled) {
            timing.cancelled = true;
            return timing;
        }
        for (const TimedPhone& p : heardAlone.phones)
            phones.push_back({p.phone, m.start + p.start, m.start + p.end});
    }
    std::stable_sort(phones.begin(), phones.end(),
                     [](const TimedPhone& a, const TimedPhone& b) { return a.start < b.start; });
    std::stable_sort(
        timing.mismatches.begin(), timing.mismatches.end(),
        [](const ScriptMismatch& a, const ScriptMismatch& b) { return a.start < b.start; });
    if (request.progress)
        request.progress(1.0);
    timing.phones = covered(phones, sound.seconds());
    return timing;
}

SoundTiming alignScript(const Sound& sound, const TimingRequest& request, const ModelFiles& model) {
    return alignScriptWith(sound, request, model, AlignmentSettings{});
}

} // namespace mouthkey::speech
