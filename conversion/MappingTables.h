#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mouthkey {

// Titles of the phoneme-set pop-up, in index order.
inline constexpr std::array<std::string_view, 5> phonemeSetTitles{
    "Preston Blair", "PowerHouse", "Simplified Flash", "Adobe Character Animator", "Full Set",
};

// The 14 phoneme names every table maps, in table order.
inline constexpr std::array<std::string_view, 14> phonemeKeys{
    "AI", "E", "L", "FV", "MBP", "O", "U", "WQ", "etc", "rest", "TH", "CH", "D", "K",
};

// Maps the 14 phoneme names to position values ("\tX\t4.00668\t0").
// A tiny fixed table: lookup switches on the token's length and bytes
// instead of hashing, because it runs once per token of every data line.
class MappingTable {
public:
    using Values = std::array<std::string, phonemeKeys.size()>;

    explicit MappingTable(Values values) : m_values(std::move(values)) {}

    // The position value for a token, or nothing when the token is not a key.
    // The view points into this table, so a temporary table may not be asked.
    std::optional<std::string_view> find(std::string_view token) const& {
        const int index = keyIndex(token);
        if (index < 0) {
            return std::nullopt;
        }
        return m_values[static_cast<std::size_t>(index)];
    }
    std::optional<std::string_view> find(std::string_view token) const&& = delete;

    // Index into phonemeKeys, or -1. Also accepts U+212A KELVIN SIGN, which is
    // canonically equivalent to "K" and the only non-ASCII text that equals a key.
    static int keyIndex(std::string_view token) noexcept;

    const Values& values() const noexcept { return m_values; }

    friend bool operator==(const MappingTable&, const MappingTable&) = default;

private:
    Values m_values;
};

// Index 0 to 4 gives that phoneme set's table; any other index gives the default table.
MappingTable buildMapping(int setIndex);

} // namespace mouthkey
