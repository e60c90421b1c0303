#pragma once

// What a name stands for, looked up once per distinct name: a take names a
// handful of mouths, thousands of times each. Private to the conversion
// library, and usable on its own by anything that looks names up by line.
#include "LineScan.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace mouthkey {

// A hash of string_view for maps keyed by std::string, so that a name is
// looked up without a copy.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
        return std::hash<std::string_view>{}(s);
    }
};

// Caches a lookup from names to small numbers (such as a chart's drawings).
class NameCache {
public:
    using LookUp = std::function<std::optional<std::size_t>(std::string_view name)>;

    explicit NameCache(LookUp lookUp) : m_lookUp(std::move(lookUp)) {}

    // What `name` stands for. Bytes up to `end` may be read past the name.
    std::optional<std::size_t> find(std::string_view name, const char* end) {
        // Names of up to eight bytes, the usual ones, as one word in a small
        // table; others, and any with a NUL that a word would not tell
        // apart, by their hash.
        if (name.size() - 1 < 8 && name.find('\0') == std::string_view::npos) {
            const std::int64_t found = ofWord(packedName(name, end), name);
            return found < 0 ? std::nullopt
                             : std::optional<std::size_t>(static_cast<std::size_t>(found));
        }
        return ofLongName(name);
    }
    std::optional<std::size_t> find(std::string_view name) {
        return find(name, name.data() + name.size());
    }

    // The same, for a name of one to eight bytes other than NUL given as
    // packedName packs it; -1 when it stands for nothing.
    MOUTHKEY_INLINE std::int64_t ofWord(std::uint64_t packed, std::string_view name) {
        std::size_t i = (packed * 0x9E3779B97F4A7C15u) >> 56;
        while (m_slots[i].packed != packed) {
            if (m_slots[i].packed == 0) {
                return fillSlot(i, packed, name);
            }
            i = (i + 1) % m_slots.size();
        }
        return m_slots[i].value;
    }

    // A name of one to eight bytes as a word, its first byte lowest. Built
    // in a register: a word copied from memory of the name's length would
    // wait on the copy.
    static std::uint64_t packedName(std::string_view name, const char* end) {
        const auto* p = reinterpret_cast<const scan::Byte*>(name.data());
        if (end - name.data() >= 8) {
            const std::uint64_t word = scan::loadWord(p);
            return name.size() == 8 ? word : word & ((std::uint64_t{1} << (8 * name.size())) - 1);
        }
        std::uint64_t packed = 0;
        for (std::size_t i = 0; i < name.size(); ++i) {
            packed |= std::uint64_t{p[i]} << (8 * i);
        }
        return packed;
    }

private:
    MOUTHKEY_COLD std::int64_t fillSlot(std::size_t i, std::uint64_t packed,
                                        std::string_view name) {
        const auto found = ofLongName(name);
        const std::int64_t value = found ? static_cast<std::int64_t>(*found) : -1;
        // A quarter stays empty, so that every search meets an empty slot
        // soon; names past that go by their hash.
        if (m_slotsUsed < m_slots.size() / 4 * 3) {
            m_slots[i] = {packed, value};
            ++m_slotsUsed;
        }
        return value;
    }

    MOUTHKEY_COLD std::optional<std::size_t> ofLongName(std::string_view name) {
        if (const auto known = m_names.find(name); known != m_names.end()) {
            return known->second;
        }
        const auto found = m_lookUp(name);
        if (m_names.size() < 4096) {
            m_names.emplace(std::string(name), found);
        }
        return found;
    }

    struct Slot {
        std::uint64_t packed = 0; // empty: no name packs to 0
        std::int64_t value = -1;
    };

    LookUp m_lookUp;
    std::array<Slot, 256> m_slots{};
    std::size_t m_slotsUsed = 0;
    std::unordered_map<std::string, std::optional<std::size_t>, NameHash, std::equal_to<>> m_names;
};

} // namespace mouthkey
