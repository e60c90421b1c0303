#pragma once

// Tables of an enumeration's values with the name options and files use and
// the title people read. Private to the conversion library.
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace mouthkey {

template <class Value> struct NamedRow {
    Value value;
    std::string_view name;
    std::string_view title;
};

// The row of a value; the first row for a value the table lacks.
template <class Value, std::size_t N>
const NamedRow<Value>& rowOf(const std::array<NamedRow<Value>, N>& rows, Value value) {
    for (const NamedRow<Value>& row : rows) {
        if (row.value == value) {
            return row;
        }
    }
    return rows[0];
}

template <class Value, std::size_t N>
std::optional<Value> valueNamed(const std::array<NamedRow<Value>, N>& rows, std::string_view name) {
    for (const NamedRow<Value>& row : rows) {
        if (row.name == name) {
            return row.value;
        }
    }
    return std::nullopt;
}

} // namespace mouthkey
