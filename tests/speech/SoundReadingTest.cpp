#include "speech/SoundTiming.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using mouthkey::speech::readSound;

namespace {

fs::path testFolder() {
    const fs::path folder =
        fs::temp_directory_path() / ("mouthkey-sound-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    return folder;
}

// A tone of `seconds` at half scale in the first channel, silence in any others.
bool writeTone(const fs::path& path, int format, int rate, int channels, double seconds,
               double amplitude = 0.5) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> samples(frames * static_cast<std::size_t>(channels), 0.0f);
    for (std::size_t i = 0; i < frames; ++i)
        samples[i * static_cast<std::size_t>(channels)] = static_cast<float>(
            amplitude * std::sin(2 * std::numbers::pi * 440 * static_cast<double>(i) / rate));
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    return sf_close(file) == 0;
}

// A WAV header claiming `seconds` of 8 kHz 8-bit sound, its data left as a
// sparse hole so that the file costs nothing on disk.
void writeLongHeader(const fs::path& path, double seconds) {
    const auto bytes = static_cast<std::uint32_t>(seconds * 8000);
    auto le32 = [](std::ofstream& out, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.put(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    auto le16 = [](std::ofstream& out, std::uint16_t v) {
        out.put(static_cast<char>(v & 0xff));
        out.put(static_cast<char>(v >> 8));
    };
    {
        std::ofstream out(path, std::ios::binary);
        out.write("RIFF", 4);
        le32(out, 36 + bytes);
        out.write("WAVEfmt ", 8);
        le32(out, 16);
        le16(out, 1);    // PCM
        le16(out, 1);    // mono
        le32(out, 8000); // rate
        le32(out, 8000); // bytes a second
        le16(out, 1);    // block
        le16(out, 8);    // bits
        out.write("data", 4);
        le32(out, bytes);
    }
    fs::resize_file(path, 44 + bytes);
}

} // namespace

TEST(SoundReading, RefusesWhatCannotBeTimed) {
    const fs::path folder = testFolder();
    { std::ofstream(folder / "notes.wav") << "These are my notes, not a sound.\n"; }
    ASSERT_TRUE(
        writeTone(folder / "silent.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 1.0, 0.0));
    ASSERT_TRUE(writeTone(folder / "blip.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 0.05));
    writeLongHeader(folder / "long.wav", 3601);

    struct Case {
        const char* file;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases{
        {"missing.wav", {"cannot read '", "/missing.wav'", "no such file"}},
        {"notes.wav", {"/notes.wav' is not a sound file"}},
        {"silent.wav", {"/silent.wav' is silent"}},
        {"blip.wav", {"/blip.wav' is too short", "0.05 s", "at least 0.1 s"}},
        {"long.wav", {"/long.wav' is too long", "60 min 01 s", "an hour at most"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto read = readSound((folder / c.file).string());
        EXPECT_FALSE(read.sound);
        for (const std::string& words : c.said)
            EXPECT_NE(read.error.find(words), std::string::npos) << read.error;
    }
    fs::remove_all(folder);
}

TEST(SoundReading, ReadsEachFormatAsSixteenKilohertzMono) {
    const fs::path folder = testFolder();
    struct Case {
        const char* file;
        int format;
        int rate;
        int channels;
    };
    const std::vector<Case> cases{
        {"plain.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1},
        {"stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 2},
        {"take.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 1},
        {"take.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 22050, 1},
        {"take.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(writeTone(folder / c.file, c.format, c.rate, c.channels, 1.0));
        const auto read = readSound((folder / c.file).string());
        ASSERT_TRUE(read.sound) << read.error;
        // Encoders pad the start and end a little.
        EXPECT_NEAR(read.sound->seconds(), 1.0, 0.08);
        const auto [low, high] =
            std::minmax_element(read.sound->samples.begin(), read.sound->samples.end());
        const double peak = std::max(-static_cast<double>(*low), static_cast<double>(*high));
        // Half scale, or a quarter where a silent second channel is mixed in.
        EXPECT_NEAR(peak / 32767, 0.5 / c.channels, 0.06);
    }
    fs::remove_all(folder);
}
