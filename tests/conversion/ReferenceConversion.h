#pragma once

// A plain reading of the data-line rules, slow and obvious, and the
// properties every conversion keeps; shared by the randomised tests and the
// fuzzer.
#include "conversion/DataLineConversion.h"
#include "conversion/MappingTables.h"
#include "conversion/TimingCheck.h"
#include "conversion/TimingReader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace mouthkey::reference {

inline const std::array<std::string, 7> separators{"\n",       "\v",           "\f",          "\r",
                                                   "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"};

// Splits at separators the slow, obvious way: try each one at every position.
inline std::vector<std::string> nonEmptyLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size();) {
        bool matched = false;
        for (const auto& sep : separators) {
            if (text.compare(i, sep.size(), sep) == 0) {
                if (!line.empty()) {
                    lines.push_back(line);
                }
                line.clear();
                i += sep.size();
                matched = true;
                break;
            }
        }
        if (!matched) {
            line += text[i++];
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

inline std::vector<std::string> tokens(const std::string& line) {
    std::vector<std::string> parts{""};
    for (char c : line) {
        if (c == ' ') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

inline std::vector<std::string> dataLines(const std::string& text) {
    auto lines = nonEmptyLines(text);
    if (!lines.empty()) {
        lines.erase(lines.begin());
    }
    return lines;
}

inline std::string referenceConversion(const std::string& text, const MappingTable& mapping) {
    std::string out;
    for (const auto& line : dataLines(text)) {
        std::string joined;
        bool first = true;
        for (const auto& token : tokens(line)) {
            joined += first ? "" : " ";
            first = false;
            const auto value = mapping.find(token);
            joined += value ? std::string(*value) : token;
        }
        out += "\t" + joined + "\n";
    }
    return out;
}

// Checks out as the keyframe lines of text: the reference result, no CR, one
// "\t...\n" line per data line, and every token (or its value) in its place.
// Returns what is wrong, or the empty text.
inline std::string keyframeLinesProblem(const std::string& text, const MappingTable& mapping,
                                        const std::string& out) {
    if (out != referenceConversion(text, mapping)) {
        return "differs from the reference conversion";
    }
    if (out.find('\r') != std::string::npos) {
        return "holds a CR";
    }
    const auto inputLines = dataLines(text);
    std::vector<std::string> outLines;
    for (std::size_t at = 0; at < out.size();) {
        const std::size_t nl = out.find('\n', at);
        if (nl == std::string::npos) {
            return "does not end with a newline";
        }
        outLines.push_back(out.substr(at, nl - at));
        at = nl + 1;
    }
    if (outLines.size() != inputLines.size()) {
        return "has " + std::to_string(outLines.size()) + " lines for " +
               std::to_string(inputLines.size()) + " data lines";
    }
    for (std::size_t i = 0; i < outLines.size(); ++i) {
        if (!outLines[i].starts_with('\t')) {
            return "line " + std::to_string(i) + " does not start with a tab";
        }
        std::size_t cursor = 1;
        for (const auto& token : tokens(inputLines[i])) {
            const auto value = mapping.find(token);
            const std::string expected = value ? std::string(*value) : token;
            if (outLines[i].compare(cursor, expected.size(), expected) != 0) {
                return "line " + std::to_string(i) + " lost a token";
            }
            cursor += expected.size() + 1;
        }
        if (cursor != outLines[i].size() + 1) {
            return "line " + std::to_string(i) + " has extra text";
        }
    }
    return {};
}

// Converts text fed in random chunks of 0 to 9 bytes, so that separators and
// tokens are cut everywhere.
inline std::string convertInChunks(const std::string& text, const MappingTable& mapping,
                                   std::mt19937& rng, std::size_t bufferSize) {
    std::string out;
    DataLineConverter converter(
        mapping, [&](std::string_view s) { out.append(s); }, bufferSize);
    std::uniform_int_distribution<std::size_t> chunk(0, 9);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min(chunk(rng), text.size() - at);
        converter.feed(std::string_view(text).substr(at, n));
        at += n;
    }
    converter.finish();
    return out;
}

// The non-empty lines with their numbers, the slow way: every separator ends
// a line, and CR LF is one separator.
struct NumberedLine {
    std::uint64_t number;
    std::string text;
    friend bool operator==(const NumberedLine&, const NumberedLine&) = default;
    friend void PrintTo(const NumberedLine& l, std::ostream* os) {
        *os << l.number << ":" << l.text;
    }
};

inline std::vector<NumberedLine> numberedLines(const std::string& text) {
    std::vector<NumberedLine> lines;
    std::uint64_t number = 1;
    std::string line;
    for (std::size_t i = 0; i < text.size();) {
        const auto sep = std::find_if(separators.begin(), separators.end(), [&](const auto& s) {
            return text.compare(i, s.size(), s) == 0;
        });
        if (sep == separators.end()) {
            line += text[i++];
            continue;
        }
        i += text.compare(i, 2, "\r\n") == 0 ? 2 : sep->size();
        if (!line.empty()) {
            lines.push_back({number, line});
        }
        line.clear();
        ++number;
    }
    if (!line.empty()) {
        lines.push_back({number, line});
    }
    return lines;
}

// What TimingReader reports for a text fed in random chunks of 0 to 9 bytes:
// the numbered lines, and the keyframe lines rebuilt from its data lines'
// tokens, which must be the converter's.
struct ReaderResult {
    std::vector<NumberedLine> lines;
    std::string keyframeLines;
    std::string problem; // a header in the wrong place, a phoneme flag that lies
};

inline ReaderResult readInChunks(const std::string& text, const MappingTable& mapping,
                                 std::mt19937& rng) {
    ReaderResult result;
    TimingReader reader([&](const TimingLine& line) {
        if (line.header != result.lines.empty()) {
            result.problem = "header flag on line " + std::to_string(line.number);
        }
        result.lines.push_back({line.number, std::string(line.text)});
        if (line.header) {
            return;
        }
        result.keyframeLines += '\t';
        for (std::size_t i = 0; i < line.tokens.size(); ++i) {
            const TimingToken& token = line.tokens[i];
            const auto value = mapping.find(token.text);
            if (value.has_value() != (token.phoneme >= 0)) {
                result.problem = "phoneme flag of '" + std::string(token.text) + "'";
            }
            result.keyframeLines += i ? " " : "";
            result.keyframeLines += value ? *value : token.text;
        }
        result.keyframeLines += '\n';
    });
    std::uniform_int_distribution<std::size_t> chunk(0, 9);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min(chunk(rng), text.size() - at);
        reader.feed(std::string_view(text).substr(at, n));
        at += n;
    }
    reader.finish();
    return result;
}

// The lowest and highest frames of the lines the one keyframe-line rule
// takes, read line by line, for the bulk readers to be held to.
struct FrameRange {
    std::optional<std::uint64_t> first, last;
};

inline FrameRange keyFramesByRule(std::string_view text) {
    FrameRange range;
    TimingReader reader([&](const TimingLine& line) {
        if (const auto key = line.header ? std::nullopt : keyLine(line)) {
            range.first = std::min(range.first.value_or(key->frame), key->frame);
            range.last = std::max(range.last.value_or(key->frame), key->frame);
        }
    });
    reader.feed(text);
    reader.finish();
    return range;
}

// Each line the rule takes as "frame name@line", read line by line, for the
// quick cue reader to be held to.
inline std::vector<std::string> keyLinesByRule(std::string_view text) {
    std::vector<std::string> keys;
    TimingReader reader([&](const TimingLine& line) {
        if (const auto key = line.header ? std::nullopt : keyLine(line)) {
            keys.push_back(std::to_string(key->frame) + " " + std::string(key->name->text) + "@" +
                           std::to_string(line.number));
        }
    });
    reader.feed(text);
    reader.finish();
    return keys;
}

} // namespace mouthkey::reference
