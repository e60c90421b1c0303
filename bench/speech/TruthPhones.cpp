#include "TruthPhones.h"

#include "EspeakPhones.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace mouthkey::speecheval {

namespace {

// espeak-ng writes its pauses as exact silence; a little slack for the
// ringing of the filters.
constexpr int silentLevel = 16;
// Its pauses also hum at a low level (RMS about 150) where a clause ends; 40 dB
// below full scale is quiet.
constexpr double quietLevel = 330;

bool isStop(const std::string& phone) {
    static constexpr std::string_view stops[] = {"P", "B", "T", "D", "K", "G", "CH", "JH"};
    return std::find(std::begin(stops), std::end(stops), phone) != std::end(stops);
}

// The silent run that ends at most `slack` samples before `at` and starts no
// earlier than `floor`, as [start, end); empty when there is none.
std::pair<std::size_t, std::size_t> silentRunBefore(std::span<const std::int16_t> samples,
                                                    std::size_t at, std::size_t slack,
                                                    std::size_t floor) {
    std::size_t end = std::min(at, samples.size());
    const std::size_t lowest = end > slack ? end - slack : 0;
    while (end > lowest && std::abs(samples[end - 1]) > silentLevel) {
        --end;
    }
    std::size_t start = end;
    while (start > floor && std::abs(samples[start - 1]) <= silentLevel) {
        --start;
    }
    return {start, end};
}

} // namespace

Truth truthPhones(std::span<const PhonemeEvent> events, std::span<const std::int16_t> samples,
                  int sampleRate, double leadSeconds, double tailSeconds) {
    Truth truth;
    const double speechEnd = double(samples.size()) / sampleRate;
    std::vector<TimedPhone> speech;
    auto add = [&speech](std::string phone, double start, double end) {
        if (end <= start) {
            return;
        }
        if (!speech.empty() && speech.back().phone == "SIL" && phone == "SIL") {
            speech.back().end = end;
            return;
        }
        speech.push_back({std::move(phone), start, end});
    };
    add("SIL", 0, events.empty() ? speechEnd : std::min(events.front().seconds, speechEnd));
    for (std::size_t i = 0; i < events.size(); ++i) {
        const double start = std::min(events[i].seconds, speechEnd);
        const double end =
            i + 1 < events.size() ? std::min(events[i + 1].seconds, speechEnd) : speechEnd;
        const auto phones = arpabetForEspeak(events[i].mnemonic);
        if (!phones) {
            truth.unknown.push_back(events[i].mnemonic);
            continue;
        }
        if (phones->empty()) {
            if (!speech.empty()) {
                speech.back().end = std::max(speech.back().end, end);
            }
            continue;
        }
        const double share = (end - start) / double(phones->size());
        for (std::size_t k = 0; k < phones->size(); ++k) {
            add(std::string((*phones)[k]), start + share * double(k),
                start + share * double(k + 1));
        }
    }

    // A silent closure, 15 ms at least, ending within 10 ms of a stop's event.
    const auto minRun = static_cast<std::size_t>(0.015 * sampleRate);
    const auto slack = static_cast<std::size_t>(0.010 * sampleRate);
    for (std::size_t i = 1; i < speech.size(); ++i) {
        TimedPhone& before = speech[i - 1];
        TimedPhone& stop = speech[i];
        if (!isStop(stop.phone) || before.phone == "SIL") {
            continue;
        }
        const auto at = static_cast<std::size_t>(stop.start * sampleRate + 0.5);
        // Leave the phone before 20 ms of its own.
        const auto floor = static_cast<std::size_t>((before.start + 0.020) * sampleRate);
        const auto [from, to] = silentRunBefore(samples, at, slack, floor);
        const double moved = double(from) / sampleRate;
        if (to - from >= minRun && moved < stop.start && moved > before.start) {
            before.end = moved;
            stop.start = moved;
        }
    }

    truth.phones.push_back({"SIL", 0, leadSeconds});
    for (TimedPhone p : speech) {
        p.start += leadSeconds;
        p.end += leadSeconds;
        if (p.phone == "SIL" && truth.phones.back().phone == "SIL") {
            truth.phones.back().end = p.end;
        } else {
            truth.phones.push_back(std::move(p));
        }
    }
    const double end = leadSeconds + speechEnd + tailSeconds;
    if (truth.phones.back().phone == "SIL") {
        truth.phones.back().end = end;
    } else {
        truth.phones.push_back({"SIL", leadSeconds + speechEnd, end});
    }
    return truth;
}

SilenceFit& SilenceFit::operator+=(const SilenceFit& o) {
    speechWindows += o.speechWindows;
    silentSpeechWindows += o.silentSpeechWindows;
    silWindows += o.silWindows;
    soundingSilWindows += o.soundingSilWindows;
    return *this;
}

SilenceFit silenceFit(std::span<const TimedPhone> phones, std::span<const std::int16_t> samples,
                      int sampleRate) {
    SilenceFit fit;
    const auto window = static_cast<std::size_t>(sampleRate / 100);
    for (const TimedPhone& p : phones) {
        if (isStop(p.phone)) {
            continue; // silent in its closure by nature
        }
        auto from = static_cast<std::size_t>(p.start * sampleRate + 0.5);
        const auto to = std::min(samples.size(), static_cast<std::size_t>(p.end * sampleRate));
        for (; from + window <= to; from += window) {
            double energy = 0;
            for (std::size_t k = from; k < from + window; ++k) {
                energy += double(samples[k]) * double(samples[k]);
            }
            const bool silent = std::sqrt(energy / double(window)) < quietLevel;
            if (p.phone == "SIL") {
                ++fit.silWindows;
                fit.soundingSilWindows += !silent;
            } else {
                ++fit.speechWindows;
                fit.silentSpeechWindows += silent;
            }
        }
    }
    return fit;
}

} // namespace mouthkey::speecheval
