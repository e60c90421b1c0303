#include "conversion/Targets.h"

#include "conversion/DocumentWriter.h"
#include "conversion/MappingTables.h"
#include "conversion/PopupChoice.h"
#include "conversion/TimingReader.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <memory>
#include <system_error>
#include <utility>

namespace mouthkey {

namespace {

struct TargetNames {
    Target target;
    std::string_view name;
    std::string_view title;
};

constexpr std::array<TargetNames, targets.size()> targetNames{{
    {Target::Position, "position", "Position"},
    {Target::TimeRemap, "time-remap", "Time Remap"},
    {Target::SliderControl, "slider", "Slider Control"},
}};

const TargetNames& namesOf(Target target) {
    for (const TargetNames& names : targetNames) {
        if (names.target == target) {
            return names;
        }
    }
    return targetNames[0];
}

double numberOf(std::string_view text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// A chart's lines are names between spaces or tabs.
std::vector<std::string> namesIn(std::string_view line) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(" \t", at)) != std::string_view::npos) {
        const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
        names.emplace_back(line.substr(at, end - at));
        at = end;
    }
    return names;
}

// The header block every copied keyframe text opens with, up to the property:
// the same bytes as Position's head, without its property.
std::string sourceHead(const FrameRate& rate) {
    const std::string head = documentHead(rateLine(rate));
    return head.substr(0, head.find("Transform\t"));
}

// A key the targets write: where, and what it shows.
struct Key {
    std::uint64_t frame = 0;
    std::string_view name;
    std::size_t drawing = 0; // for the targets that show drawings
};

// One output target: a head, one line a key, a tail. The hold steps, the
// offset and what is left out are decided once, before a key reaches it.
class DocumentTarget {
public:
    virtual ~DocumentTarget() = default;
    virtual void head() = 0;
    virtual void key(const Key& key) = 0;
    virtual void tail() = 0;
    virtual std::uint64_t keyframes() const = 0;
};

// Each key as the converter writes its .dat line, so that a name the set
// does not know passes through exactly as it always has.
class PositionTarget final : public DocumentTarget {
public:
    PositionTarget(const TargetChoices& choices, const ChunkSink& sink)
        : m_writer(buildMapping(choices.setIndex, choices.letters), choices.rate, sink) {}

    void head() override { m_writer.feed(datText({})); }
    void key(const Key& key) override {
        m_line.assign(std::to_string(key.frame)).append(" ").append(key.name).append("\n");
        m_writer.feed(m_line);
    }
    void tail() override { m_writer.finish(); }
    std::uint64_t keyframes() const override { return m_writer.keyframeCount(); }

private:
    DocumentWriter m_writer;
    std::string m_line;
};

// Time Remap and Slider Control: one property, one value a key, each line
// ending in a tab as After Effects copies them.
class DrawingTarget final : public DocumentTarget {
public:
    DrawingTarget(const TargetChoices& choices, const ChunkSink& sink)
        : m_sink(sink), m_rate(choices.rate), m_fps(framesPerSecond(choices.rate)),
          m_timeRemap(choices.target == Target::TimeRemap) {}

    void head() override {
        m_text = sourceHead(m_rate);
        m_text.append(m_timeRemap ? "Time Remap\n\tFrame\tseconds\t\n"
                                  : "Effects\tSlider Control #1\tSlider #2\n\tFrame\t\t\n");
    }
    void key(const Key& key) override {
        const double value = m_timeRemap ? (static_cast<double>(key.drawing) + 0.5) / m_fps
                                         : static_cast<double>(key.drawing);
        m_text.append("\t").append(std::to_string(key.frame)).append("\t");
        m_text.append(keyNumberText(value)).append("\t\n");
        ++m_keyframes;
        if (m_text.size() >= flushAt) {
            flush();
        }
    }
    void tail() override {
        m_text.append("\nEnd of Keyframe Data");
        flush();
    }
    std::uint64_t keyframes() const override { return m_keyframes; }

private:
    static constexpr std::size_t flushAt = 64 * 1024;

    void flush() {
        m_sink(m_text);
        m_text.clear();
    }

    const ChunkSink& m_sink;
    FrameRate m_rate;
    double m_fps;
    bool m_timeRemap;
    std::string m_text;
    std::uint64_t m_keyframes = 0;
};

// The frame a cue's key lands on after the offset; nothing before frame 0.
// Frames past the counter's end saturate rather than wrap.
std::optional<std::uint64_t> shiftedFrame(std::uint64_t frame, std::int64_t offset) {
    if (offset >= 0) {
        const auto by = static_cast<std::uint64_t>(offset);
        return frame > std::numeric_limits<std::uint64_t>::max() - by
                   ? std::numeric_limits<std::uint64_t>::max()
                   : frame + by;
    }
    // -(offset + 1) + 1 stays in range for the most negative offset too.
    const std::uint64_t by = static_cast<std::uint64_t>(-(offset + 1)) + 1;
    if (frame < by) {
        return std::nullopt;
    }
    return frame - by;
}

} // namespace

std::string_view targetName(Target target) {
    return namesOf(target).name;
}

std::string_view targetTitle(Target target) {
    return namesOf(target).title;
}

std::optional<Target> targetNamed(std::string_view name) {
    for (const TargetNames& names : targetNames) {
        if (names.name == name) {
            return names.target;
        }
    }
    return std::nullopt;
}

MouthChart::MouthChart(std::vector<std::vector<std::string>> drawings)
    : m_drawings(std::move(drawings)) {}

MouthChart MouthChart::ofSet(int setIndex) {
    const PhonemeSet& set = phonemeSets[choiceRow(setIndex, phonemeSets.size())];
    std::vector<double> xs;
    for (const std::string_view x : set.x) {
        xs.push_back(numberOf(x));
    }
    std::vector<double> distinct = xs;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<std::vector<std::string>> drawings(distinct.size());
    for (std::size_t key = 0; key < phonemeKeys.size(); ++key) {
        const auto row = std::lower_bound(distinct.begin(), distinct.end(), xs[key]);
        drawings[static_cast<std::size_t>(row - distinct.begin())].emplace_back(phonemeKeys[key]);
    }
    return MouthChart(std::move(drawings));
}

std::optional<std::size_t> MouthChart::drawingOf(std::string_view name, bool letters) const {
    const auto listed = [this](std::string_view wanted) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < m_drawings.size(); ++i) {
            const auto& names = m_drawings[i];
            if (std::find(names.begin(), names.end(), wanted) != names.end()) {
                return i;
            }
        }
        return std::nullopt;
    };
    // The key the converter reads the name as: a letter's chart name with
    // letters, and "K" for the KELVIN SIGN.
    const int key = letters ? MappingTable::letterKeyIndex(name) : MappingTable::keyIndex(name);
    const std::string_view reading = key < 0 ? name : phonemeKeys[static_cast<std::size_t>(key)];
    // D and E are phoneme names as well as letters: with letters the
    // converter reads them as AI and O, so their drawings are those first.
    const bool readingFirst = letters && MappingTable::keyIndex(name) >= 0;
    auto drawing = listed(readingFirst ? reading : name);
    if (!drawing && reading != name) {
        drawing = listed(readingFirst ? name : reading);
    }
    return drawing;
}

std::string MouthChart::text() const {
    std::string text = "# Mouth chart: one line a drawing, in the precomp's frame order from "
                       "drawing 0, each listing the names it shows\n";
    for (const auto& names : m_drawings) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            text.append(i ? " " : "").append(names[i]);
        }
        text.append("\n");
    }
    return text;
}

ChartReading readMouthChart(std::string_view text) {
    std::vector<std::vector<std::string>> drawings;
    ReaderFindings findings;
    std::vector<std::string> seen;
    // Lines are cut and numbered as the checks cut and number them.
    TimingReader reader([&](const TimingLine& line) {
        std::vector<std::string> names = namesIn(line.text.substr(0, line.text.find('#')));
        if (names.empty()) {
            return;
        }
        bool listedAgain = false;
        for (const std::string& name : names) {
            if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
                if (!std::exchange(listedAgain, true)) {
                    findings.add(Finding::Kind::UnreadableLine, {line.number, 0}, [&] {
                        return quotedText(name) + " is listed for an earlier drawing";
                    });
                }
            } else {
                seen.push_back(name);
            }
        }
        drawings.push_back(std::move(names));
    });
    reader.feed(text);
    reader.finish();
    ChartReading reading;
    if (drawings.empty()) {
        findings.add(Finding::Kind::EmptyChart, {}, "");
    } else {
        reading.chart = MouthChart(std::move(drawings));
    }
    reading.findings = findings.take();
    if (!reading.chart) {
        // A chart with no drawing has nothing else worth saying.
        std::erase_if(reading.findings,
                      [](const Finding& f) { return f.kind != Finding::Kind::EmptyChart; });
        reading.findings.front().lines = {};
    }
    return reading;
}

MouthChart TargetChoices::chartInUse() const {
    return chart ? *chart : MouthChart::ofSet(setIndex);
}

TargetResult writeTargetDocument(std::span<const Cue> cues, const TargetChoices& choices,
                                 const ChunkSink& sink) {
    const bool drawings = choices.target != Target::Position;
    const MouthChart chart = drawings ? choices.chartInUse() : MouthChart({});
    const MappingTable mapping = buildMapping(choices.setIndex, choices.letters);
    std::unique_ptr<DocumentTarget> target;
    if (drawings) {
        target = std::make_unique<DrawingTarget>(choices, sink);
    } else {
        target = std::make_unique<PositionTarget>(choices, sink);
    }

    ReaderFindings findings;
    std::optional<std::uint64_t> firstBeforeZero;
    const bool holds = choices.holds();
    // The key before, and what it shows: a drawing's number, or for Position
    // the name's value (a name the set does not know is its own value).
    std::optional<Key> before;
    std::string beforeValue;
    std::string value;

    target->head();
    for (const Cue& cue : cues) {
        Key key{0, cue.name, 0};
        if (drawings) {
            const auto drawing = chart.drawingOf(cue.name, choices.letters);
            if (!drawing) {
                findings.add(Finding::Kind::NoDrawing, cue.place,
                             [&] { return quotedText(cue.name); });
                continue;
            }
            key.drawing = *drawing;
            value = std::to_string(*drawing);
        } else {
            value = mapping.find(cue.name).value_or(cue.name);
        }
        const auto frame = shiftedFrame(cue.frame, choices.offset);
        if (!frame) {
            findings.add(Finding::Kind::BeforeFrameZero, cue.place, "");
            firstBeforeZero = firstBeforeZero.value_or(cue.frame);
            continue;
        }
        key.frame = *frame;
        if (holds && before && value != beforeValue && key.frame >= before->frame &&
            key.frame - before->frame >= 2) {
            Key step = *before;
            step.frame = key.frame - 1;
            target->key(step);
        }
        target->key(key);
        before = key;
        beforeValue = value;
    }
    target->tail();

    TargetResult result;
    result.keyframes = target->keyframes();
    result.findings = findings.take();
    for (Finding& f : result.findings) {
        if (f.kind == Finding::Kind::BeforeFrameZero) {
            f.frames[0] = *firstBeforeZero;
        }
    }
    return result;
}

std::vector<Cue> datCues(std::string_view text) {
    std::vector<Cue> cues;
    TimingReader reader([&cues](const TimingLine& line) {
        if (line.header) {
            return;
        }
        if (const auto key = keyLine(line)) {
            cues.push_back({key->frame, std::string(key->name->text), {line.number, 0}});
        }
    });
    reader.feed(text);
    reader.finish();
    return cues;
}

std::string keyNumberText(double value) {
    char digits[400];
    char* const end = digits + sizeof digits;
    auto written = std::to_chars(digits, end, value, std::chars_format::general, 6).ptr;
    std::string_view text(digits, static_cast<std::size_t>(written - digits));
    if (text.find('e') != std::string_view::npos) {
        // Six significant digits without an exponent: as many decimals as
        // that takes, then no trailing zeros.
        int exponent = 0;
        const auto e = text.find('e') + 1;
        std::from_chars(text.data() + e + (text[e] == '+' ? 1 : 0), text.data() + text.size(),
                        exponent);
        written =
            std::to_chars(digits, end, value, std::chars_format::fixed, std::max(0, 5 - exponent))
                .ptr;
        text = std::string_view(digits, static_cast<std::size_t>(written - digits));
        if (text.find('.') != std::string_view::npos) {
            text = text.substr(0, text.find_last_not_of('0') + 1);
            if (text.ends_with('.')) {
                text.remove_suffix(1);
            }
        }
    }
    return text == "-0" ? "0" : std::string(text);
}

} // namespace mouthkey
