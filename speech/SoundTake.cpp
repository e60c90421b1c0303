#include "speech/SoundTake.h"

#include "conversion/PhoneMouths.h"
#include "conversion/ScriptWords.h"

#include <array>
#include <charconv>
#include <cstdlib>

namespace mouthkey::speech {

namespace {

// Seconds as "1.25", whatever the locale a window set.
std::string seconds(double s) {
    std::array<char, 32> text{};
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), s, std::chars_format::fixed, 2);
    return std::string(text.data(), end.ptr);
}

std::string quotedWords(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "'" : ", '") + word + "'";
    }
    return text;
}

std::string mismatchNote(const ScriptMismatch& m) {
    const std::string where = "from " + seconds(m.start) + " s to " + seconds(m.end) +
                              " s the speech and the script part ways: ";
    if (m.words.empty()) {
        return where + "speech is heard that the script does not have";
    }
    return where + "'" + m.words + "' is not heard" + (m.unwritten ? ", but other speech is" : "");
}

} // namespace

SoundTake soundTake(const std::string& path, TimingRequest request, std::string_view scriptName) {
    SoundTake timed;
    if (const char* model = std::getenv("MOUTHKEY_SPEECH_MODEL");
        request.modelDirectory.empty() && model != nullptr) {
        request.modelDirectory = model;
    }
    const std::size_t wordCount = scriptWords(request.script).size();
    // A script with no word to find, such as one in another script, says nothing of the speech.
    if (wordCount == 0 && (!request.script.empty() || !scriptName.empty())) {
        timed.notes.push_back("the script" +
                              (scriptName.empty() ? std::string() : " " + std::string(scriptName)) +
                              " holds no English words to find in the speech; timed without it");
        request.script.clear();
    }
    timed.byScript = wordCount > 0;
    const SoundRead read = readSound(path);
    if (!read.sound) {
        timed.error = read.error;
        return timed;
    }
    const SoundTiming timing = timeSound(*read.sound, request);
    if (timing.cancelled || !timing.error.empty()) {
        timed.error = timing.error;
        timed.cancelled = timing.cancelled;
        return timed;
    }
    if (!timing.unknownWords.empty()) {
        timed.notes.push_back("words the dictionary lacks, pronounced by rule: " +
                              quotedWords(timing.unknownWords));
    }
    // The model knows English: a script mostly of words it lacks is likely in another language.
    if (2 * timing.unknownWords.size() > wordCount && wordCount > 0) {
        timed.notes.push_back("most of the script's words are not English ones; only English "
                              "speech is timed well");
    }
    for (const ScriptMismatch& mismatch : timing.mismatches) {
        timed.notes.push_back(mismatchNote(mismatch));
    }
    timed.take = phoneTake(timing.phones, read.sound->seconds());
    return timed;
}

} // namespace mouthkey::speech
