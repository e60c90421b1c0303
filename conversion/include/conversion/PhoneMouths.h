#pragma once

#include "conversion/Take.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace mouthkey {

// A phone as a recognizer hears it, in the English model's ARPAbet names
// ("AH", "M"), or "SIL" for silence, timed in seconds from the sound's start.
// The seam between any recognizer and the core: phones in, cues out.
struct TimedPhone {
    std::string phone;
    double start = 0;
    double end = 0;
    friend bool operator==(const TimedPhone&, const TimedPhone&) = default;
};

struct PhoneMouth {
    std::string_view phone;
    std::string_view mouth;
};

// Every phone of the English model and the mouth it shows. One table, so that
// the README, the timing and the benchmark's truth all read the same.
// clang-format off
inline constexpr std::array<PhoneMouth, 40> phoneMouths{{
    {"AA", "AI"}, {"AE", "AI"}, {"AH", "AI"}, {"AY", "AI"}, {"AW", "AI"},
    {"EH", "E"}, {"EY", "E"}, {"IH", "E"}, {"IY", "E"}, {"ER", "E"}, {"Y", "E"},
    {"AO", "O"}, {"OW", "O"}, {"OY", "O"},
    {"UW", "U"}, {"UH", "U"},
    {"W", "WQ"},
    {"M", "MBP"}, {"B", "MBP"}, {"P", "MBP"},
    {"F", "FV"}, {"V", "FV"},
    {"L", "L"},
    {"TH", "TH"}, {"DH", "TH"},
    {"CH", "CH"}, {"JH", "CH"}, {"SH", "CH"}, {"ZH", "CH"},
    {"T", "D"}, {"D", "D"}, {"N", "D"},
    {"K", "K"}, {"G", "K"}, {"NG", "K"}, {"HH", "K"},
    {"S", "etc"}, {"Z", "etc"}, {"R", "etc"},
    {"SIL", "rest"},
}};
// clang-format on

// The mouth a phone shows. Stress marks ("AH0") are ignored; silence and the
// model's noises ("+NSN+") are rest; a phone the table lacks is "etc".
std::string_view mouthForPhone(std::string_view phone);

// What a viewer tells apart of a mouth, which is what the timing's accuracy
// is scored by.
enum class MouthClass { Closed, LipTeeth, Round, Open, Mid, Tongue, OtherConsonant, Rest };

// The class of a mouth name (a phoneme key, or a letter mouth shape read by
// its chart); an unknown name is OtherConsonant.
MouthClass mouthClass(std::string_view mouth);

// The take of timed phones: one cue where the mouth changes, rest before the
// first phone and after the last, closed by a rest at `soundSeconds`. Each
// phone's cue opens at its start, keyed on the frame nearest it.
Take phoneTake(std::span<const TimedPhone> phones, double soundSeconds);

} // namespace mouthkey
