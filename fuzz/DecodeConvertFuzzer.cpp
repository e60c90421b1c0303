// Fuzzes the converter's path from raw file bytes to the keyframe document:
// decoding, then conversion streamed in chunks. Any input must give either a
// decode error with nothing handed out, or exactly the window's document,
// with every property the randomised conversion tests check.
#include "conversion/DataLineConversion.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "conversion/Targets.h"
#include "conversion/TimingCheck.h"
#include "textinput/DecodedDocument.h"
#include "textinput/TextDecoding.h"

#include "ReferenceConversion.h"

#include <QByteArrayView>
#include <QStringEncoder>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

using namespace mouthkey;

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.c_str());
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok) {
        fail(what);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView raw(data, static_cast<qsizetype>(size));
    // The choices come from the length, so every byte stays file content.
    const int setIndex = static_cast<int>(size % 7) - 1;
    const int rateIndex = static_cast<int>(size / 7 % 12) - 1;
    const std::size_t bufferSize = 1 + size % 97;
    std::mt19937 rng(static_cast<std::uint32_t>(size));

    std::string text;
    bool handedOut = false;
    EncodingGuess guess = EncodingGuess::None;
    const auto error = decodeToUtf8Chunks(
        raw,
        [&](std::string_view chunk) {
            handedOut = true;
            text.append(chunk);
        },
        &guess);

    std::string document;
    const auto streamError = writeDecodedDocument(
        raw, setIndex, rateIndex, [&](std::string_view chunk) { document.append(chunk); },
        bufferSize);
    check(error.has_value() == streamError.has_value(), "decoding and streaming disagree");

    if (error) {
        check(!handedOut, "a bad input handed out text");
        check(document.empty(), "a bad input wrote part of a document");
        return 0;
    }
    check(QByteArrayView(text).isValidUtf8(), "decoded text is not UTF-8");
    if (guess != EncodingGuess::None) {
        // Only a NUL in every other byte, throughout, is taken for UTF-16.
        check(!QStringConverter::encodingForData(raw), "a guess overrode a byte-order mark");
        const qsizetype nulAt = guess == EncodingGuess::Utf16LE ? 1 : 0;
        for (qsizetype at = 0; at < raw.size(); at += 2) {
            check(raw.size() % 2 == 0 && raw[at + nulAt] == 0 && raw[at + 1 - nulAt] != 0,
                  "UTF-16 guessed without a NUL in every other byte");
        }
        QStringEncoder encoder(guess == EncodingGuess::Utf16LE ? QStringConverter::Utf16LE
                                                               : QStringConverter::Utf16BE);
        check(QByteArray(encoder.encode(QString::fromStdString(text))) == raw,
              "guessed UTF-16 changed in decoding");
    } else if (raw.isValidUtf8() && !raw.startsWith("\xEF\xBB\xBF")) {
        // No other encoding's mark is valid UTF-8, so such input is taken as it is.
        check(text == std::string_view(raw.data(), size), "UTF-8 changed in decoding");
    }

    const MappingTable mapping = buildMapping(setIndex);
    const std::string lines = convertDataLines(text, mapping);
    if (const std::string problem = reference::keyframeLinesProblem(text, mapping, lines);
        !problem.empty()) {
        fail("keyframe lines:", problem);
    }
    check(reference::convertInChunks(text, mapping, rng, bufferSize) == lines,
          "chunk boundaries changed the result");
    const reference::ReaderResult read = reference::readInChunks(text, mapping, rng);
    check(read.problem.empty() && read.keyframeLines == lines &&
              read.lines == reference::numberedLines(text),
          "the timing reader disagrees with the converter");
    // The checks read usual lines in bulk and others one by one; where the
    // chunks are cut must change nothing, and they count what the converter writes.
    const TimingReport report = checkTimingText(text);
    TimingChecker checker;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t piece = 1 + rng() % (rng() % 2 ? 4 : 200);
        checker.feed(std::string_view(text).substr(at, piece));
        at += piece;
    }
    const TimingReport cut = checker.finish();
    check(report.findings == cut.findings && report.summary.keyframes == cut.summary.keyframes &&
              report.summary.firstFrame == cut.summary.firstFrame &&
              report.summary.lastFrame == cut.summary.lastFrame,
          "chunk boundaries changed the checks");
    // A keyframe document's lines are pasted, but are no take's keyframes.
    const bool keyframeDocument =
        !report.findings.empty() && report.findings[0].kind == Finding::Kind::KeyframeDocument;
    check(report.summary.keyframes ==
              (keyframeDocument
                   ? 0
                   : static_cast<std::uint64_t>(std::count(lines.begin(), lines.end(), '\n'))),
          "the checks count other keyframes than the converter writes");
    const reference::FrameRange byRule =
        keyframeDocument ? reference::FrameRange{} : reference::keyFramesByRule(text);
    check(report.summary.firstFrame == byRule.first && report.summary.lastFrame == byRule.last,
          "the checks' bulk reading disagrees with the keyframe-line rule");
    std::vector<std::string> cues;
    for (const Cue& cue : datCues(text)) {
        cues.push_back(std::to_string(cue.frame) + " " + cue.name + "@" +
                       std::to_string(cue.place.line));
    }
    check(cues == reference::keyLinesByRule(text),
          "the quick cue reader disagrees with the keyframe-line rule");
    // A target's document streamed from the text, which copies frames' digits
    // where it can, is the one its cues give.
    const std::vector<Cue> textCues = datCues(text);
    {
        // One target an input, so the others keep the runs their checks need.
        TargetChoices choices;
        choices.target = targets[rng() % targets.size()];
        choices.rate = FrameRate(rateIndex);
        choices.hold = rng() % 4 != 0;
        choices.offset = rng() % 3 == 0 ? static_cast<std::int64_t>(rng() % 5) - 2 : 0;
        // Cleaned up as the text streams, which may first find it out of order.
        if (rng() % 3 == 0) {
            choices.cleanUp = {rng() % 3, 1 + rng() % 3, 1 + rng() % 3, rng() % 2 == 0};
        }
        std::string streamed;
        std::string fromCues;
        TargetWriter writer(choices, [&](std::string_view chunk) { streamed.append(chunk); });
        LineSample others;
        writer.feedDat(text, others);
        writer.finish();
        writeTargetDocument(textCues, choices,
                            [&](std::string_view chunk) { fromCues.append(chunk); });
        check(streamed == fromCues, "a target's streamed document differs from its cues'");
    }
    // The words quote the file: they must stay one line of valid text.
    for (const Finding& f : report.findings) {
        const std::string words =
            findingText(f) + std::string(findingOutcome(f.kind)) + findingHint(f);
        check(QByteArrayView(words).isValidUtf8() &&
                  std::none_of(words.begin(), words.end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
              "a finding's words are not one line of text");
        check(f.kind != Finding::Kind::KeyframeDocument || report.findings.size() == 1,
              "a keyframe document's other findings were listed");
    }
    check(document == assembleDocument(headertop, rateLine(rateIndex), headerbottom, lines, footer),
          "streamed document differs from the assembled one");
    return 0;
}
