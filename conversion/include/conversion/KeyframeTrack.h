#pragma once

#include "conversion/MappingTables.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

class MouthChart;
struct Cue;

// The X value of a key (an index into phonemeKeys) in a phoneme set, as a
// number; any set index outside the table gives the default set, as the pop-up does.
int positionX(int setIndex, int phoneme);

// The keyframes of a timing text as the converter reads it, kept compact
// enough to draw a file of millions of lines: eight bytes a keyframe, in
// frame order (file order among keyframes on the same frame).
class KeyframeTrack {
public:
    // What a keyframe's line names.
    enum class Name : std::uint8_t {
        Phoneme,     // one of phonemeKeys: it gets a position
        Unknown,     // a name without an entry, pasted unchanged
        NotAKeyframe // not "FRAME PHONEME" (a frame alone, extra tokens): no single name
    };

    struct Keyframe {
        std::uint64_t frame = 0;
        Name name = Name::Phoneme;
        int phoneme = -1;      // index into phonemeKeys, for Name::Phoneme
        std::string_view text; // the unknown name, if it is one of those kept; else empty
        // The name as the line wrote it, which a chart looks its drawing up
        // by: for a key, the key, a letter or the KELVIN SIGN; else as text.
        std::string_view written;
        std::uint8_t nameBit = 0; // for Name::Phoneme, the written name's bit in a KeySet
    };

    // Distinct unknown names kept for display; lines with further names are
    // still marked, only their text is not kept.
    static constexpr std::size_t namesKept = 200;
    static constexpr std::size_t nameBytesKept = 40;
    // Frames are kept in 56 bits; later frames show at the last one.
    static constexpr std::uint64_t maxFrame = (std::uint64_t{1} << 56) - 1;

    // With `letters`, letter mouth shapes are read by their chart, as the converter then reads
    // them.
    static KeyframeTrack fromText(std::string_view text, bool letters = false);
    // The same for cues, in their order, as the document writer takes them.
    static KeyframeTrack fromCues(std::span<const Cue> cues, bool letters = false);

    bool letters() const noexcept { return m_letters; }

    // For a track of cues: keyframes [first, first + removed) become those of
    // `added`, which keep the track in frame order. An edit costs this, not
    // a track built again.
    void splice(std::size_t first, std::size_t removed, std::span<const Cue> added);

    std::size_t size() const noexcept { return m_keys.size(); }
    bool empty() const noexcept { return m_keys.empty(); }
    Keyframe at(std::size_t index) const;

    std::uint64_t firstFrame() const noexcept { return empty() ? 0 : frameOf(m_keys.front()); }
    std::uint64_t lastFrame() const noexcept { return empty() ? 0 : frameOf(m_keys.back()); }

    // Keyframes that get no position (unknown names, lines that are not
    // "FRAME PHONEME"), and data lines left off the track because their
    // frame is not a whole number.
    std::uint64_t withoutPosition() const noexcept { return m_withoutPosition; }
    std::uint64_t offTrack() const noexcept { return m_offTrack; }

    // Keys a document leaves out too (for Time Remap and Slider Control,
    // those the chart has no drawing for), as bits by the name the key is
    // written as: one name of a key may have a drawing where another has none.
    using KeySet = std::uint32_t;
    // The names a key may be written as, each with its bit: lookupNames, then the KELVIN SIGN.
    static constexpr std::size_t keyNames = lookupNames.size() + 1;
    static_assert(keyNames <= 32);
    static std::string_view keyName(std::size_t bit) noexcept;
    // The key a name of keyNames is read as in this track, or -1 when it is no key here.
    int keyOfName(std::size_t bit) const noexcept;
    // The keys written by names `chart` has no drawing for, looked up as the
    // document writer looks them up.
    KeySet undrawn(const MouthChart& chart) const;
    // The keyframes without a position, those of `unplaced` keys counted too.
    std::uint64_t withoutPosition(KeySet unplaced) const noexcept;

    // The keyframe in effect at a frame: the last one at or before it.
    std::optional<std::size_t> inEffectAt(std::uint64_t frame) const;
    // The first keyframe at or after a frame.
    std::optional<std::size_t> firstFrom(std::uint64_t frame) const;

    // The track thinned to one entry per column of a drawing, so that drawing
    // costs the same for ten keyframes as for ten million. Column c covers the
    // frames [from + c * span / count, from + (c + 1) * span / count).
    struct Column {
        std::uint32_t keyframes = 0; // keyframes in the column
        bool positioned = false;     // whether any of them has a position
        bool withoutPosition = false;
        std::int16_t low = 0, high = 0; // positions reached in the column
        std::int16_t last = 0;          // of the last keyframe in it with a position
    };
    struct Thinned {
        std::optional<int> before; // position in effect when the range begins
        std::vector<Column> columns;
    };
    Thinned thin(std::uint64_t from, std::uint64_t to, std::size_t count, int setIndex,
                 KeySet unplaced = 0) const;

    // Bytes held, for the benchmarks and the report.
    std::size_t memoryBytes() const noexcept;

private:
    class Builder;

    // One keyframe: its frame in the high 56 bits and a code in the low 8
    // (a key's name, by its bit in a KeySet, then the kept unknown names,
    // then the two markers).
    static constexpr std::uint8_t otherUnknown = 254;
    static constexpr std::uint8_t notAKeyframe = 255;
    static constexpr std::uint8_t firstName = keyNames;
    static_assert(firstName + namesKept <= otherUnknown);

    static std::uint64_t frameOf(std::uint64_t key) noexcept { return key >> 8; }
    static std::uint8_t codeOf(std::uint64_t key) noexcept {
        return static_cast<std::uint8_t>(key & 0xFF);
    }

    int keyOf(std::uint8_t code) const noexcept { return keyOfName(code); }
    // The bit of a name among keyNames as this track reads it; -1: no key here.
    int bitOf(std::string_view name) const;

    std::vector<std::uint64_t> m_keys;
    std::vector<std::string> m_names;
    bool m_letters = false;
    std::uint64_t m_withoutPosition = 0;
    std::uint64_t m_offTrack = 0;
};

} // namespace mouthkey
