#include "PhoneText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace mouthkey::speecheval {

namespace {

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        const std::size_t from = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > from) {
            out.push_back(line.substr(from, i - from));
        }
    }
    return out;
}

bool readSeconds(std::string_view text, double& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(out) && out >= 0;
}

} // namespace

PhonesRead parsePhones(std::string_view text) {
    PhonesRead read;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::vector<std::string_view> f = fields(line);
        if (f.empty()) {
            continue;
        }
        auto fail = [&](std::string_view why) {
            read.phones.clear();
            read.error = "line " + std::to_string(lineNumber) + ": " + std::string(why);
            return read;
        };
        TimedPhone phone;
        if (f.size() != 3) {
            return fail("expected START, END and PHONE");
        }
        if (!readSeconds(f[0], phone.start) || !readSeconds(f[1], phone.end)) {
            return fail("a time is not a number of seconds");
        }
        if (phone.end < phone.start) {
            return fail("the phone ends before it starts");
        }
        if (!read.phones.empty() && phone.start < read.phones.back().start) {
            return fail("the phones are not in time order");
        }
        phone.phone = std::string(f[2]);
        read.phones.push_back(std::move(phone));
    }
    return read;
}

std::string phonesText(std::span<const TimedPhone> phones) {
    std::string out;
    char buffer[64];
    for (const TimedPhone& p : phones) {
        std::snprintf(buffer, sizeof buffer, "%.6f\t%.6f\t", p.start, p.end);
        out += buffer;
        out += p.phone;
        out += '\n';
    }
    return out;
}

PhonesRead readPhonesFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {{}, "cannot open " + path.string()};
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return {{}, "cannot read " + path.string()};
    }
    PhonesRead read = parsePhones(text.str());
    if (!read.error.empty()) {
        read.error = path.string() + ": " + read.error;
    }
    return read;
}

std::string writeTextFile(const std::filesystem::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return out ? std::string() : "cannot write " + path.string();
}

} // namespace mouthkey::speecheval
