#pragma once

#include "conversion/PhoneMouths.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey::speecheval {

// Timed phones as text, one a line: START<TAB>END<TAB>PHONE, seconds from the
// sound's start, in time order. The evaluation's truth and every recognizer's
// hypothesis are written so.
struct PhonesRead {
    std::vector<TimedPhone> phones;
    std::string error; // non-empty: the text is not phones, and why (with its line)
};

PhonesRead parsePhones(std::string_view text);
std::string phonesText(std::span<const TimedPhone> phones);

// The same, on files; a file that cannot be read is an error of its own.
PhonesRead readPhonesFile(const std::filesystem::path& path);
// Empty when written, else what went wrong.
std::string writeTextFile(const std::filesystem::path& path, std::string_view text);

} // namespace mouthkey::speecheval
