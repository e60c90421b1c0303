#include "Recognizer.h"

#include <pocketsphinx.h>
#include <sphinxbase/cmn.h>
#include <sphinxbase/err.h>
#include <sphinxbase/feat.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

namespace mouthkey::speech {
namespace {

constexpr double framesPerSecond = 100;   // the decoder's default -frate
constexpr std::size_t feedSamples = 1600; // a tenth of a second between cancel checks

// PocketSphinx logs to standard error unless told otherwise, for the whole
// process at once.
void silenceLogging() {
    static std::once_flag once;
    std::call_once(once, [] { err_set_logfp(nullptr); });
}

// Silence and the model's noises ("+NSN+", "[NOISE]", "<sil>") all show rest.
bool isSilence(const std::string& unit) {
    return unit == "SIL" || unit == "<s>" || unit == "</s>" || unit == "<sil>" ||
           (unit.size() > 1 && (unit.front() == '+' || unit.front() == '['));
}

void appendPhone(std::vector<TimedPhone>& phones, std::string phone, double start, double end) {
    if (end <= start)
        return;
    if (!phones.empty() && phone == "SIL" && phones.back().phone == "SIL") {
        phones.back().end = end;
        return;
    }
    phones.push_back({std::move(phone), start, end});
}

// A silence this short between two phones is nearly always a stop's closure
// or a phone the recognizer lost, rarely a pause; the phone before it holds on.
constexpr double shortestPause = 0.15;

void closeShortPauses(std::vector<TimedPhone>& phones) {
    std::vector<TimedPhone> kept;
    kept.reserve(phones.size());
    for (std::size_t i = 0; i < phones.size(); ++i) {
        const bool inner = i > 0 && i + 1 < phones.size();
        if (inner && phones[i].phone == "SIL" && phones[i].end - phones[i].start < shortestPause) {
            kept.back().end = phones[i].end;
            continue;
        }
        kept.push_back(std::move(phones[i]));
    }
    phones = std::move(kept);
}

} // namespace

std::optional<ModelFiles> findModel(const std::string& directory) {
    namespace fs = std::filesystem;
    const fs::path root(directory);
    ModelFiles files{(root / "en-us").string(), (root / "cmudict-en-us.dict").string(),
                     (root / "en-us.lm.bin").string(), (root / "en-us-phone.lm.bin").string()};
    std::error_code ec;
    for (const fs::path& needed :
         {fs::path(files.acoustic) / "mdef", fs::path(files.acoustic) / "means",
          fs::path(files.dictionary), fs::path(files.wordModel), fs::path(files.phoneModel)})
        if (!fs::is_regular_file(needed, ec))
            return std::nullopt;
    return files;
}

ps_decoder_s* makeDecoder(const ModelFiles& model, DecoderOptions options,
                          const DecoderOptions& overrides) {
    silenceLogging();
    // Our own cut at silences replaces the decoder's, whose dropped frames
    // would shift the times it reports.
    options.insert(
        options.begin(),
        {{"-hmm", model.acoustic}, {"-dict", model.dictionary}, {"-remove_silence", "no"}});
    for (const auto& option : overrides) {
        const auto same = std::find_if(options.begin(), options.end(),
                                       [&](const auto& o) { return o.first == option.first; });
        if (same != options.end())
            same->second = option.second;
        else
            options.push_back(option);
    }
    std::vector<std::string> words{"mouthkey"};
    for (const auto& [name, value] : options) {
        words.push_back(name);
        words.push_back(value);
    }
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    cmd_ln_t* config =
        cmd_ln_parse_r(nullptr, ps_args(), static_cast<int32>(argv.size()), argv.data(), TRUE);
    if (!config)
        return nullptr;
    ps_decoder_t* decoder = ps_init(config);
    cmd_ln_free_r(config); // the decoder keeps its own reference
    return decoder;
}

std::unique_ptr<Recognizer> Recognizer::create(const ModelFiles& model,
                                               const RecognizerSettings& settings) {
    // Context-independent phones with a light phone language model: on our
    // measured takes both more accurate than the context-dependent default
    // and an order of magnitude faster. Word recognition, with each word's
    // dictionary phones, measured worse on them.
    ps_decoder_t* decoder = makeDecoder(
        model, {{"-allphone", model.phoneModel}, {"-allphone_ci", "yes"}, {"-lw", "1.5"}},
        settings.options);
    if (!decoder)
        return nullptr;
    return std::unique_ptr<Recognizer>(new Recognizer(decoder));
}

Recognizer::Recognizer(ps_decoder_s* decoder) : decoder_(decoder) {
    static_assert(sizeof(mfcc_t) == sizeof(float));
    cmn_t* cmn = ps_get_feat(decoder_)->cmn_struct;
    if (cmn) {
        initialMean_.resize(static_cast<std::size_t>(cmn->veclen));
        cmn_live_get(cmn, initialMean_.data());
    }
}

Recognizer::~Recognizer() {
    ps_free(decoder_);
}

std::optional<std::vector<TimedPhone>> Recognizer::phones(std::span<const std::int16_t> samples,
                                                          const std::atomic<bool>& cancel,
                                                          std::atomic<std::size_t>& fed) {
    // A fresh stream for each stretch: the decoder counts frames, and keeps
    // its noise level, from the start of a stream, not of an utterance. The
    // cepstral mean it learnt from earlier stretches is set back too, so that
    // a stretch is heard the same whichever thread, and after whichever
    // stretch, it is decoded.
    if (!initialMean_.empty())
        cmn_live_set(ps_get_feat(decoder_)->cmn_struct, initialMean_.data());
    if (ps_start_stream(decoder_) < 0 || ps_start_utt(decoder_) < 0)
        return std::vector<TimedPhone>{};
    for (std::size_t at = 0; at < samples.size(); at += feedSamples) {
        if (cancel.load(std::memory_order_relaxed)) {
            ps_end_utt(decoder_);
            return std::nullopt;
        }
        const std::size_t count = std::min(feedSamples, samples.size() - at);
        ps_process_raw(decoder_, samples.data() + at, count, FALSE, FALSE);
        fed.fetch_add(count, std::memory_order_relaxed);
    }
    ps_end_utt(decoder_);

    std::vector<TimedPhone> phones;
    for (ps_seg_t* seg = ps_seg_iter(decoder_); seg; seg = ps_seg_next(seg)) {
        int first = 0;
        int last = 0;
        ps_seg_frames(seg, &first, &last);
        const double start = first / framesPerSecond;
        const double end = (last + 1) / framesPerSecond;
        std::string unit = ps_seg_word(seg);
        appendPhone(phones, isSilence(unit) ? "SIL" : unit, start, end);
    }
    closeShortPauses(phones);
    return phones;
}

} // namespace mouthkey::speech
