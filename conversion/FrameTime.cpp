#include "conversion/FrameTime.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>
#include <string_view>

namespace mouthkey {

namespace {

// A title's digits as frames per so many seconds ("29.97": 2997 per 100),
// up to `decimals` of them past the point; a title is plain digits, maybe a
// point and more digits (FrameRate::fromText), of at most 1000 frames.
struct RateDigits {
    std::uint64_t frames = 0;
    std::uint64_t seconds = 1;
    bool allRead = true; // no digit was dropped
};

// Up to this many decimals, a title's digits (at most 1000.999999999999)
// are a whole number a double holds exactly.
constexpr std::size_t decimalsThatFit = 12;

RateDigits rateDigits(std::string_view title, std::size_t decimals) {
    RateDigits digits;
    bool fraction = false;
    std::size_t read = 0;
    for (const char c : title) {
        if (c == '.') {
            fraction = true;
            continue;
        }
        if (c < '0' || c > '9' || (fraction && (read == decimals || read == decimalsThatFit))) {
            digits.allRead = false;
            break;
        }
        digits.frames = digits.frames * 10 + static_cast<std::uint64_t>(c - '0');
        if (fraction) {
            digits.seconds *= 10;
            ++read;
        }
    }
    return digits;
}

} // namespace

ExactRate exactRate(const FrameRate& rate) {
    // Digits past the sixth decimal are dropped: no sound clock is that fine.
    const RateDigits digits = rateDigits(rate.title(), 6);
    if (digits.frames == 0) {
        return {};
    }
    const std::uint64_t common = std::gcd(digits.frames, digits.seconds);
    return {digits.frames / common, digits.seconds / common};
}

std::string summaryText(const TimingSummary& summary, const FrameRate& rate,
                        const NumberFormat& numbers) {
    std::string text =
        numbers.whole(summary.keyframes) + (summary.keyframes == 1 ? " keyframe" : " keyframes");
    if (!summary.firstFrame || !summary.lastFrame) {
        return text;
    }
    text += " \xC2\xB7 ";
    text += *summary.firstFrame == *summary.lastFrame
                ? "frame " + numbers.whole(*summary.firstFrame)
                : "frames " + numbers.whole(*summary.firstFrame) + "\xE2\x80\x93" +
                      numbers.whole(*summary.lastFrame);

    const std::string duration = frameTimeText(*summary.lastFrame, rate, numbers);
    if (duration.empty()) {
        return text;
    }
    return text + " \xC2\xB7 " + duration + " at " + std::string(rate.title()) + " fps";
}

std::string summaryText(const TimingSummary& summary, int rateIndex, const NumberFormat& numbers) {
    return summaryText(summary, FrameRate(rateIndex), numbers);
}

double framesPerSecond(const FrameRate& rate) {
    // Two whole numbers divide to the double nearest their quotient, as the
    // title's decimal reads; only a title with more decimals is read as text.
    const RateDigits digits = rateDigits(rate.title(), std::numeric_limits<std::size_t>::max());
    if (digits.allRead && digits.frames > 0) {
        return static_cast<double>(digits.frames) / static_cast<double>(digits.seconds);
    }
    const std::string_view title = rate.title();
    double fps = 0;
    std::from_chars(title.data(), title.data() + title.size(), fps);
    return fps;
}

double framesPerSecond(int rateIndex) {
    return framesPerSecond(FrameRate(rateIndex));
}

std::string frameTimeText(std::uint64_t frame, int rateIndex, const NumberFormat& numbers) {
    return frameTimeText(frame, FrameRate(rateIndex), numbers);
}

std::string frameTimeText(std::uint64_t frame, const FrameRate& rate, const NumberFormat& numbers) {
    const double fps = framesPerSecond(rate);
    // Tenths of a second, rounded once, so that 59.95 s never shows as 0:60.0.
    // A frame past a thousand years of footage is a typo, not a duration.
    const double tenthsExact = static_cast<double>(frame) / fps * 10.0;
    if (!(tenthsExact < 3e11)) {
        return {};
    }
    const auto tenths = static_cast<std::uint64_t>(std::llround(tenthsExact));
    const std::uint64_t seconds = tenths / 10;
    char clock[40];
    if (seconds >= 3600) {
        std::snprintf(clock, sizeof clock, "%llu:%02llu:%02llu",
                      static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60));
    } else {
        std::snprintf(clock, sizeof clock, "%llu:%02llu",
                      static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60));
    }
    return clock + numbers.decimalPoint + static_cast<char>('0' + tenths % 10);
}

} // namespace mouthkey
