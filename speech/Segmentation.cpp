#include "Segmentation.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace mouthkey::speech {
namespace {

constexpr double frameSeconds = loudFrameSeconds;
// A pause this long splits the speech; shorter ones are part of it.
constexpr double splitSilenceSeconds = 0.3;
// The silence kept either side of speech, so that the recognizer hears its
// start and end against a quiet background.
constexpr double marginSeconds = 0.2;
constexpr double longestPieceSeconds = 20;
constexpr double shortestCutSeconds = 8;
// Below this spread between quiet and loud frames there is no silence level
// to cut at.
constexpr double leastRangeDb = 15;

std::vector<double> frameLevels(std::span<const std::int16_t> samples, std::size_t frame) {
    std::vector<double> levels;
    levels.reserve(samples.size() / frame + 1);
    for (std::size_t at = 0; at < samples.size(); at += frame) {
        const std::size_t end = std::min(samples.size(), at + frame);
        double sum = 0;
        for (std::size_t i = at; i < end; ++i)
            sum += static_cast<double>(samples[i]) * samples[i];
        levels.push_back(10 * std::log10(sum / static_cast<double>(end - at) + 1));
    }
    return levels;
}

double percentile(std::vector<double> values, double share) {
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at),
                     values.end());
    return values[at];
}

// Cuts runs longer than the longest piece at their quietest frame between
// the shortest cut and the longest piece.
void cutLong(std::vector<Piece>& frames, const std::vector<double>& levels, std::size_t longest,
             std::size_t shortest) {
    std::vector<Piece> cut;
    for (Piece piece : frames) {
        while (piece.end - piece.begin > longest) {
            auto first = levels.begin() + static_cast<std::ptrdiff_t>(piece.begin + shortest);
            auto last = levels.begin() + static_cast<std::ptrdiff_t>(piece.begin + longest);
            const auto at =
                static_cast<std::size_t>(std::min_element(first, last) - levels.begin());
            cut.push_back({piece.begin, at});
            piece.begin = at;
        }
        cut.push_back(piece);
    }
    frames = std::move(cut);
}

// The level above which a frame is speech; none where quiet and loud frames
// are too close to tell.
std::optional<double> silenceLevel(const std::vector<double>& levels) {
    const double quiet = percentile(levels, 0.1);
    const double loud = percentile(levels, 0.95);
    if (loud - quiet < leastRangeDb)
        return std::nullopt;
    return quiet + 0.25 * (loud - quiet);
}

} // namespace

std::vector<bool> loudFrames(std::span<const std::int16_t> samples, int rate) {
    const auto frame = static_cast<std::size_t>(frameSeconds * rate);
    if (samples.empty() || frame == 0)
        return {};
    const std::vector<double> levels = frameLevels(samples, frame);
    const std::optional<double> threshold = silenceLevel(levels);
    std::vector<bool> loud(levels.size(), true);
    for (std::size_t i = 0; threshold && i < levels.size(); ++i)
        loud[i] = levels[i] > *threshold;
    return loud;
}

std::vector<Piece> speechPieces(std::span<const std::int16_t> samples, int rate) {
    const auto frame = static_cast<std::size_t>(frameSeconds * rate);
    if (samples.empty() || frame == 0)
        return {};
    const std::vector<double> levels = frameLevels(samples, frame);
    const std::size_t count = levels.size();
    auto frames = [](double seconds) {
        return static_cast<std::size_t>(seconds / frameSeconds);
    };

    const std::optional<double> silence = silenceLevel(levels);
    std::vector<Piece> runs; // in frames
    if (!silence) {
        runs.push_back({0, count});
    } else {
        const double threshold = *silence;
        const std::size_t splitGap = frames(splitSilenceSeconds);
        for (std::size_t i = 0; i < count;) {
            if (levels[i] <= threshold) {
                ++i;
                continue;
            }
            std::size_t end = i + 1;
            std::size_t lastLoud = i;
            while (end < count && end - lastLoud <= splitGap) {
                if (levels[end] > threshold)
                    lastLoud = end;
                ++end;
            }
            runs.push_back({i, lastLoud + 1});
            i = lastLoud + 1;
        }
        // Margins, never reaching past halfway to the next run.
        const std::size_t margin = frames(marginSeconds);
        const std::vector<Piece> bare = runs;
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const std::size_t before =
                r == 0 ? bare[r].begin : (bare[r].begin - bare[r - 1].end) / 2;
            const std::size_t after =
                r + 1 == runs.size() ? count - bare[r].end : (bare[r + 1].begin - bare[r].end) / 2;
            runs[r].begin -= std::min(margin, before);
            runs[r].end += std::min(margin, after);
        }
    }
    cutLong(runs, levels, frames(longestPieceSeconds), frames(shortestCutSeconds));

    std::vector<Piece> pieces;
    pieces.reserve(runs.size());
    for (const Piece& run : runs)
        pieces.push_back({run.begin * frame, std::min(samples.size(), run.end * frame)});
    return pieces;
}

} // namespace mouthkey::speech
