#pragma once

#include "conversion/TimingCheck.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

// Which drawing of the mouth precomp shows which names: drawing i (from 0,
// the precomp's frame order) shows the names of row i.
class MouthChart {
public:
    explicit MouthChart(std::vector<std::vector<std::string>> drawings);

    // A phoneme set's chart: its distinct X values in ascending order are
    // drawings 0, 1, 2, ..., left to right on the strip; a name shows the
    // drawing of its X value.
    static MouthChart ofSet(int setIndex);

    // The drawing that shows a name: the first row listing it; a name the
    // converter reads as a key (the KELVIN SIGN as "K", with `letters` a
    // letter mouth shape as its chart name) shows that key's drawing when the
    // name itself is not listed. With `letters`, D and E, which are phoneme
    // names too, show their chart names' drawings (AI, O) first, as the
    // converter reads them.
    std::optional<std::size_t> drawingOf(std::string_view name, bool letters = false) const;

    const std::vector<std::vector<std::string>>& drawings() const noexcept { return m_drawings; }

    // As a chart file writes it: one drawing a line, its names between
    // spaces, after a comment that says what the file is.
    std::string text() const;

    friend bool operator==(const MouthChart&, const MouthChart&) = default;

private:
    std::vector<std::vector<std::string>> m_drawings;
};

// A chart file: one drawing per line, in the precomp's frame order, each
// line the names it shows between spaces (or tabs); '#' starts a comment.
// Lines holding only a comment or nothing are no drawing. Findings, in the
// checks' shapes, for what cannot be a chart: a name listed again (the first
// listing counts), or no drawing at all, which gives no chart.
struct ChartReading {
    std::optional<MouthChart> chart;
    std::vector<Finding> findings;
};
ChartReading readMouthChart(std::string_view text);

// The file a timing file's folder may hold to give its chart.
inline constexpr std::string_view mouthChartFileName = "mouth-chart.txt";

} // namespace mouthkey
