#pragma once

#include "conversion/PhoneMouths.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

struct ps_decoder_s;

namespace mouthkey::speech {

// The files of the English model in its folder.
struct ModelFiles {
    std::string acoustic;   // the acoustic model's folder
    std::string dictionary; // words and their phones
    std::string wordModel;  // the word language model
    std::string phoneModel; // the phone language model
};

// The model's files in `directory`, or nothing when any is missing.
std::optional<ModelFiles> findModel(const std::string& directory);

// Decoder options, each a name and its value ("-beam", "1e-20").
using DecoderOptions = std::vector<std::pair<std::string, std::string>>;

// A decoder of `model` with what every use of it shares (PocketSphinx's
// logging silenced, our own cut at silences), then `options`, each of
// `overrides` replacing an option of its name or added. Nothing (nullptr)
// when PocketSphinx refuses them; the caller frees it with ps_free.
ps_decoder_s* makeDecoder(const ModelFiles& model, DecoderOptions options,
                          const DecoderOptions& overrides);

struct RecognizerSettings {
    // Decoder options over our own defaults; for tuning.
    DecoderOptions options;
};

// One PocketSphinx decoder. Not thread-safe: one per thread.
class Recognizer {
public:
    // A decoder for `model`, or nothing when PocketSphinx refuses it.
    static std::unique_ptr<Recognizer> create(const ModelFiles& model,
                                              const RecognizerSettings& settings);
    ~Recognizer();
    Recognizer(const Recognizer&) = delete;
    Recognizer& operator=(const Recognizer&) = delete;

    // The phones of a stretch of 16 kHz speech, timed from its start, with
    // silence as "SIL". Nothing when `cancel` was raised meanwhile, which is
    // checked between each tenth of a second of sound fed; `fed` counts the
    // samples fed so far.
    std::optional<std::vector<TimedPhone>> phones(std::span<const std::int16_t> samples,
                                                  const std::atomic<bool>& cancel,
                                                  std::atomic<std::size_t>& fed);

private:
    explicit Recognizer(ps_decoder_s* decoder);

    ps_decoder_s* decoder_;
    // The cepstral mean the decoder starts from, restored for each stretch.
    std::vector<float> initialMean_;
};

} // namespace mouthkey::speech
