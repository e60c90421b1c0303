#include "conversion/KeyframeTrack.h"

#include "conversion/MouthChart.h"
#include "conversion/PopupChoice.h"
#include "conversion/Take.h"
#include "conversion/TimingCheck.h"
#include "conversion/TimingReader.h"

#include <algorithm>
#include <array>
#include <functional>
#include <unordered_map>

namespace mouthkey {

namespace {

constexpr int parseX(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    int value = 0;
    for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            throw "an X value is not a whole number"; // fails constant evaluation
        }
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// The sets' X values as numbers, read from the one table at compile time.
constexpr auto positions = [] {
    std::array<std::array<std::int16_t, phonemeKeys.size()>, phonemeSets.size()> values{};
    for (std::size_t set = 0; set < phonemeSets.size(); ++set) {
        for (std::size_t key = 0; key < phonemeKeys.size(); ++key) {
            values[set][key] = static_cast<std::int16_t>(parseX(phonemeSets[set].x[key]));
        }
    }
    return values;
}();

struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
        return std::hash<std::string_view>{}(s);
    }
};

} // namespace

int positionX(int setIndex, int phoneme) {
    return positions[choiceRow(setIndex, positions.size())].at(static_cast<std::size_t>(phoneme));
}

// Builds a track one line or cue at a time, whichever it is read from.
class KeyframeTrack::Builder {
public:
    explicit Builder(bool letters) { m_track.m_letters = letters; }

    int bitOf(std::string_view name) const { return m_track.bitOf(name); }

    // A keyframe naming `name`, whose bit is `bit` (-1: an unknown name);
    // nothing: a line that is no keyframe.
    void add(std::uint64_t frame, std::optional<std::string_view> name, int bit) {
        const std::uint8_t code = !name      ? notAKeyframe
                                  : bit >= 0 ? static_cast<std::uint8_t>(bit)
                                             : codeOfUnknown(*name);
        if (code >= firstName) {
            ++m_track.m_withoutPosition;
        }
        const std::uint64_t at = std::min(frame, maxFrame);
        m_inOrder = m_inOrder && at >= m_previous;
        m_previous = at;
        m_track.m_keys.push_back(at << 8 | code);
    }
    void addOffTrack() { ++m_track.m_offTrack; }

    KeyframeTrack finish() && {
        m_track.m_keys.shrink_to_fit();
        if (!m_inOrder) {
            // As on a timeline; keyframes on one frame keep their file order.
            std::stable_sort(
                m_track.m_keys.begin(), m_track.m_keys.end(),
                [](std::uint64_t a, std::uint64_t b) { return frameOf(a) < frameOf(b); });
        }
        return std::move(m_track);
    }

private:
    std::uint8_t codeOfUnknown(std::string_view name) {
        // As a tooltip may show it: a line break from a file never shows.
        std::string shown = shownText(name, nameBytesKept);
        if (const auto found = m_codes.find(shown); found != m_codes.end()) {
            return found->second;
        }
        if (m_track.m_names.size() >= namesKept) {
            return otherUnknown;
        }
        const auto code = static_cast<std::uint8_t>(firstName + m_track.m_names.size());
        m_track.m_names.push_back(shown);
        m_codes.emplace(std::move(shown), code);
        return code;
    }

    KeyframeTrack m_track;
    std::unordered_map<std::string, std::uint8_t, NameHash, std::equal_to<>> m_codes;
    bool m_inOrder = true;
    std::uint64_t m_previous = 0;
};

int KeyframeTrack::bitOf(std::string_view name) const {
    // A key keeps the name it was written as: a chart may draw one name of it and not another.
    const int entry = MappingTable::entryIndex(name);
    if (entry < 0) {
        return -1;
    }
    const auto bit = static_cast<std::size_t>(
        name == lookupNames[static_cast<std::size_t>(entry)] ? entry : keyNames - 1);
    return keyOfName(bit) >= 0 ? static_cast<int>(bit) : -1;
}

void KeyframeTrack::splice(std::size_t first, std::size_t removed, std::span<const Cue> added) {
    first = std::min(first, m_keys.size());
    removed = std::min(removed, m_keys.size() - first);
    const auto from = m_keys.begin() + static_cast<std::ptrdiff_t>(first);
    m_withoutPosition -= static_cast<std::uint64_t>(
        std::count_if(from, from + static_cast<std::ptrdiff_t>(removed),
                      [](std::uint64_t key) { return codeOf(key) >= firstName; }));
    std::vector<std::uint64_t> keys;
    keys.reserve(added.size());
    for (const Cue& cue : added) {
        std::uint8_t code = otherUnknown;
        if (const int bit = bitOf(cue.name); bit >= 0) {
            code = static_cast<std::uint8_t>(bit);
        } else {
            // Few names are new in an edit: the kept ones are looked up one by one.
            const std::string shown = shownText(cue.name, nameBytesKept);
            const auto kept = std::find(m_names.begin(), m_names.end(), shown);
            if (kept != m_names.end()) {
                code = static_cast<std::uint8_t>(firstName + (kept - m_names.begin()));
            } else if (m_names.size() < namesKept) {
                code = static_cast<std::uint8_t>(firstName + m_names.size());
                m_names.push_back(shown);
            }
        }
        m_withoutPosition += code >= firstName ? 1 : 0;
        keys.push_back(std::min(cue.frame, maxFrame) << 8 | code);
    }
    const std::size_t common = std::min(removed, keys.size());
    std::copy_n(keys.begin(), common, from);
    if (keys.size() > removed) {
        m_keys.insert(from + static_cast<std::ptrdiff_t>(common),
                      keys.begin() + static_cast<std::ptrdiff_t>(common), keys.end());
    } else {
        m_keys.erase(from + static_cast<std::ptrdiff_t>(common),
                     from + static_cast<std::ptrdiff_t>(removed));
    }
}

KeyframeTrack KeyframeTrack::fromText(std::string_view text, bool letters) {
    Builder track(letters);
    TimingReader reader([&](const TimingLine& line) {
        if (line.header) {
            return;
        }
        const auto key = keyLine(line);
        // A line that is no keyframe still shows, marked, where its frame is whole.
        const auto frame = key ? std::optional(key->frame) : wholeFrame(line.tokens[0].text);
        if (!frame) {
            track.addOffTrack(); // nowhere to place it on a timeline
            return;
        }
        if (!key) {
            track.add(*frame, std::nullopt, -1);
            return;
        }
        const TimingToken& name = *key->name;
        // Without letters the reader's own reading of the token serves: a key
        // as spelled, or the KELVIN SIGN, the one other spelling of a key (K).
        constexpr auto kelvinKey = static_cast<int>(
            std::find(phonemeKeys.begin(), phonemeKeys.end(), "K") - phonemeKeys.begin());
        int bit = letters ? track.bitOf(name.text) : name.phoneme;
        if (!letters && bit == kelvinKey && name.text != phonemeKeys[kelvinKey]) {
            bit = static_cast<int>(keyNames) - 1;
        }
        track.add(*frame, name.text, bit);
    });
    reader.feed(text);
    reader.finish();
    return std::move(track).finish();
}

KeyframeTrack KeyframeTrack::fromCues(std::span<const Cue> cues, bool letters) {
    Builder track(letters);
    for (const Cue& cue : cues) {
        track.add(cue.frame, cue.name, track.bitOf(cue.name));
    }
    return std::move(track).finish();
}

std::string_view KeyframeTrack::keyName(std::size_t bit) noexcept {
    return bit < lookupNames.size() ? lookupNames[bit] : std::string_view("\xE2\x84\xAA");
}

int KeyframeTrack::keyOfName(std::size_t bit) const noexcept {
    if (bit >= keyNames) {
        return -1;
    }
    if (bit == keyNames - 1) {
        return MappingTable::keyIndex(keyName(bit)); // the KELVIN SIGN is K either way
    }
    return m_letters ? letterReadings[bit]
                     : (bit < phonemeKeys.size() ? static_cast<int>(bit) : -1);
}

KeyframeTrack::KeySet KeyframeTrack::undrawn(const MouthChart& chart) const {
    KeySet undrawn = 0;
    for (std::size_t bit = 0; bit < keyNames; ++bit) {
        if (keyOfName(bit) >= 0 && !chart.drawingOf(keyName(bit), m_letters)) {
            undrawn |= KeySet{1} << bit;
        }
    }
    return undrawn;
}

KeyframeTrack::Keyframe KeyframeTrack::at(std::size_t index) const {
    const std::uint64_t key = m_keys.at(index);
    const std::uint8_t code = codeOf(key);
    Keyframe k;
    k.frame = frameOf(key);
    if (code < firstName) {
        k.phoneme = keyOf(code);
        k.written = keyName(code);
        k.nameBit = code;
    } else if (code == notAKeyframe) {
        k.name = Name::NotAKeyframe;
    } else {
        k.name = Name::Unknown;
        if (code != otherUnknown) {
            k.text = k.written = m_names[code - firstName];
        }
    }
    return k;
}

std::optional<std::size_t> KeyframeTrack::inEffectAt(std::uint64_t frame) const {
    const auto after =
        std::upper_bound(m_keys.begin(), m_keys.end(), frame,
                         [](std::uint64_t f, std::uint64_t k) { return f < frameOf(k); });
    if (after == m_keys.begin()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(after - m_keys.begin() - 1);
}

std::optional<std::size_t> KeyframeTrack::firstFrom(std::uint64_t frame) const {
    const auto from =
        std::lower_bound(m_keys.begin(), m_keys.end(), frame,
                         [](std::uint64_t k, std::uint64_t f) { return frameOf(k) < f; });
    if (from == m_keys.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(from - m_keys.begin());
}

std::uint64_t KeyframeTrack::withoutPosition(KeySet unplaced) const noexcept {
    if (unplaced == 0) {
        return m_withoutPosition;
    }
    return m_withoutPosition +
           static_cast<std::uint64_t>(std::count_if(m_keys.begin(), m_keys.end(), [&](auto key) {
               return codeOf(key) < firstName && ((unplaced >> codeOf(key)) & 1) != 0;
           }));
}

KeyframeTrack::Thinned KeyframeTrack::thin(std::uint64_t from, std::uint64_t to, std::size_t count,
                                           int setIndex, KeySet unplaced) const {
    const auto placed = [unplaced](std::uint8_t code) {
        return code < firstName && ((unplaced >> code) & 1) == 0;
    };
    Thinned out;
    out.columns.resize(count);
    if (count == 0 || to <= from || empty()) {
        return out;
    }
    const auto& x = positions[choiceRow(setIndex, positions.size())];

    // Keyframes without a position leave the line where it was.
    if (from > 0) {
        if (auto i = inEffectAt(from - 1)) {
            for (std::size_t k = *i + 1; k-- > 0;) {
                if (placed(codeOf(m_keys[k]))) {
                    out.before = x[static_cast<std::size_t>(keyOf(codeOf(m_keys[k])))];
                    break;
                }
            }
        }
    }

    const double perFrame = static_cast<double>(count) / static_cast<double>(to - from);
    const auto start = firstFrom(from);
    for (std::size_t i = start.value_or(m_keys.size()); i < m_keys.size(); ++i) {
        const std::uint64_t frame = frameOf(m_keys[i]);
        if (frame >= to) {
            break;
        }
        const auto c = std::min(
            count - 1, static_cast<std::size_t>(static_cast<double>(frame - from) * perFrame));
        Column& column = out.columns[c];
        ++column.keyframes;
        const std::uint8_t code = codeOf(m_keys[i]);
        if (!placed(code)) {
            column.withoutPosition = true;
            continue;
        }
        const std::int16_t v = x[static_cast<std::size_t>(keyOf(code))];
        if (!column.positioned) {
            column.low = column.high = v;
            column.positioned = true;
        } else {
            column.low = std::min(column.low, v);
            column.high = std::max(column.high, v);
        }
        column.last = v;
    }
    return out;
}

std::size_t KeyframeTrack::memoryBytes() const noexcept {
    std::size_t bytes = sizeof(*this) + m_keys.capacity() * sizeof(std::uint64_t) +
                        m_names.capacity() * sizeof(std::string);
    for (const std::string& name : m_names) {
        bytes += name.capacity() > 15 ? name.capacity() + 1 : 0;
    }
    return bytes;
}

} // namespace mouthkey
