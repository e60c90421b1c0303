#pragma once

// A .dat text as the rule reads it (keyLine on the lines the line reader
// cuts) and as each fast lane reads it, cue by cue with places, and the
// other lines by number: for the property test and the fuzzer to compare.
// Reaches into the conversion library's own headers, as only these do.

#include "DatLines.h"
#include "LineReader.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey::lanes {

struct LaneCue {
    std::uint64_t frame = 0;
    std::string name;
    CuePlace place;
    friend bool operator==(const LaneCue&, const LaneCue&) = default;
};

struct Reading {
    std::vector<LaneCue> cues;
    std::vector<std::uint64_t> others; // every line but the header, the empty ones and the cues'
    // A lane's promise broken: digits handed on that are not the frame as
    // written, or a name that may not be read up to its end.
    std::vector<std::string> faults;
    std::size_t laneCues = 0; // of the cues, those the lane under test took itself

    // LineSample's add(), keeping every line.
    void add(std::uint64_t line) { others.push_back(line); }
    friend bool operator==(const Reading& a, const Reading& b) {
        return a.cues == b.cues && a.others == b.others && a.faults == b.faults;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Reading& r) {
    for (const LaneCue& c : r.cues) {
        out << c.frame << " '" << c.name << "'@" << c.place.line << ':' << c.place.column << "; ";
    }
    out << "others:";
    for (const std::uint64_t line : r.others) {
        out << ' ' << line;
    }
    for (const std::string& fault : r.faults) {
        out << "; " << fault;
    }
    return out;
}

// The `each` of forEachDatCue, into a reading.
struct CueInto {
    Reading& reading;
    void operator()(std::uint64_t frame, std::string_view name, const CuePlace& place,
                    const char* readable, std::string_view digits) const {
        if (readable < name.data() + name.size()) {
            reading.faults.push_back("name '" + std::string(name) + "' readable short");
        }
        if (!digits.empty() && digits != std::to_string(frame)) {
            reading.faults.push_back("digits '" + std::string(digits) + "' for frame " +
                                     std::to_string(frame));
        }
        reading.cues.push_back({frame, std::string(name), place});
    }
};

// The rule: each line the line reader cuts, but the header, by keyLine.
inline Reading byRule(std::string_view text) {
    Reading r;
    const auto handle = [&r](const TimingLine& line) {
        if (line.header) {
            return;
        }
        if (const auto key = keyLine(line)) {
            r.cues.push_back({key->frame, std::string(key->name->text), {line.number, 0}});
        } else {
            r.add(line.number);
        }
    };
    scan::LineReader<decltype(handle)> reader(handle);
    reader.feed(text);
    reader.finish();
    return r;
}

// The line reader's lane, on its own.
inline Reading byReader(std::string_view text) {
    Reading r;
    datlines::readerDatCues(text, CueInto{r}, r);
    return r;
}

// Whichever lane forEachDatCue picks for the text.
inline Reading byDatCues(std::string_view text) {
    Reading r;
    datlines::forEachDatCue(text, CueInto{r}, r);
    return r;
}

// QuickLines alone, for a text whose lines end only at LF or CR LF.
inline Reading byQuickLines(std::string_view text) {
    Reading r;
    CueInto each{r};
    datlines::QuickLines lines(text);
    while (lines.p < lines.end) {
        lines.step(each, r);
    }
    return r;
}

// The checks' block lane, as the checks run it: inside the line reader,
// which reads the lines the lane leaves by the rule. The lane is fed in
// chunks of `chunk` bytes (0: whole) and declines frames that are multiples
// of `decline` (0: none), as the checks decline frames that do not rise.
struct BlockLaneHandler {
    Reading* reading;
    std::uint64_t decline;

    void operator()(const TimingLine& line) const {
        if (line.header) {
            return;
        }
        if (const auto key = keyLine(line)) {
            reading->cues.push_back({key->frame, std::string(key->name->text), {line.number, 0}});
        } else {
            reading->add(line.number);
        }
    }
    const scan::Byte* takeLines(const scan::Byte* p, const scan::Byte* end,
                                std::uint64_t& lines) const {
        return datlines::takeBlockLines(
            p, end, lines,
            [this](std::uint64_t frame, std::string_view name, std::uint64_t line,
                   std::string_view) {
                if (decline != 0 && frame % decline == 0) {
                    return false;
                }
                reading->cues.push_back({frame, std::string(name), {line, 0}});
                ++reading->laneCues;
                return true;
            });
    }
};

inline Reading byBlockLane(std::string_view text, std::size_t chunk, std::uint64_t decline) {
    Reading r;
    scan::LineReader<BlockLaneHandler> reader(BlockLaneHandler{&r, decline});
    for (std::size_t at = 0; at < text.size(); at += chunk ? chunk : text.size()) {
        reader.feed(text.substr(at, chunk ? chunk : text.size()));
    }
    reader.finish();
    return r;
}

// Lines from lines.p for as long as readQuickLine takes them, as the
// drawing targets' writer reads them. Each goes to `key(frame, line, name,
// packed, place)`, `line` being its bytes with their LF or CR LF; a `key`
// that returns false leaves its line, and the ones after it, to the long
// way. The last 32 bytes of the text are left too.
template <class Key> void takeQuickLines(datlines::QuickLines& lines, Key&& key) {
    const char* p = lines.p;
    if (lines.end - p < 32) {
        return;
    }
    const char* const last = lines.end - 32;
    std::uint64_t number = lines.number;
    datlines::QuickLine line;
    while (p <= last && datlines::readQuickLine(p, line)) {
        const char* const next = line.next();
        if (!key(line.frame, std::string_view(p, static_cast<std::size_t>(next - p)),
                 std::string_view(line.name, static_cast<std::size_t>(line.size)), line.packed,
                 CuePlace{number + 1, 0})) {
            break;
        }
        p = next;
        ++number;
    }
    lines.p = p;
    lines.number = number;
}

// The writer's quick lane, as the writer runs it: runs of usual lines by the
// lane, the lines it leaves by QuickLines, and from the first line that ends
// otherwise than at LF or CR LF on, the text by the line reader. Declines
// frames that are multiples of `decline` (0: none), as a shifted key before
// frame 0 is declined.
inline Reading byQuickLane(std::string_view text, std::uint64_t decline) {
    Reading r;
    CueInto each{r};
    datlines::QuickLines lines(text);
    const auto key = [&](std::uint64_t frame, std::string_view line, std::string_view name,
                         scan::Word packed, const CuePlace& place) {
        if (decline != 0 && frame % decline == 0) {
            return false;
        }
        // The line as it stands is the key's line as it would be written.
        const std::string written = std::to_string(frame) + " " + std::string(name);
        if (line != written + "\n" && line != written + "\r\n") {
            r.faults.push_back("quick line '" + std::string(line) + "'");
        }
        const scan::Word bytes = scan::loadWord(datlines::bytesAt(name.data()));
        if (name.size() >= 8 || packed != (bytes & ((std::uint64_t{1} << (8 * name.size())) - 1))) {
            r.faults.push_back("quick name '" + std::string(name) + "' packed wrong");
        }
        r.cues.push_back({frame, std::string(name), place});
        ++r.laneCues;
        return true;
    };
    while (lines.p < lines.end) {
        if (lines.header) {
            takeQuickLines(lines, key);
            if (lines.p >= lines.end) {
                break;
            }
        }
        const std::string_view line(lines.p,
                                    static_cast<std::size_t>(lines.nextLine(lines.p) - lines.p));
        if (datlines::endsLinesOtherwise(line)) {
            datlines::readerDatCues(
                std::string_view(lines.p, static_cast<std::size_t>(lines.end - lines.p)), each, r,
                lines.number, lines.header);
            break;
        }
        lines.step(each, r);
    }
    return r;
}

} // namespace mouthkey::lanes
