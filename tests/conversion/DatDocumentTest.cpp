// The one entry for a .dat text's document: whichever way the core writes
// it, the bytes are the target's document and the report is the checks'
// joined by what writing found.
#include "conversion/DatDocument.h"

#include "conversion/DocumentWriter.h"
#include "conversion/MappingTables.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace mouthkey;

namespace {

struct Expected {
    std::string document;
    std::vector<Finding> findings;
};

// What the document and its findings are: with no new option, the
// converter's own document of the text's lines; else the target writer's.
Expected expected(const std::string& dat, const TargetChoices& choices) {
    Expected e;
    const ChunkSink sink = [&e](std::string_view chunk) {
        e.document.append(chunk);
    };
    if (choices.target == Target::Position && !choices.holds() && choices.offset == 0 &&
        !choices.cleanUp.any()) {
        DocumentWriter writer(buildMapping(choices.setIndex, choices.letters), choices.rate, sink);
        writer.feed(dat);
        writer.finish();
    } else {
        TargetWriter writer(choices, sink);
        LineSample others;
        writer.feedDat(dat, others);
        writer.finish();
    }
    e.findings = targetFindings(checkTimingText(dat, choices.letters).findings,
                                writingFindings(dat, choices), choices);
    return e;
}

std::string randomDat(std::mt19937& rng, std::size_t lines) {
    const std::vector<std::string> names{"AI", "E", "rest", "MBP", "X", "Foo", "etc", "O"};
    std::string dat = "MohoSwitch1\n";
    std::uint64_t frame = rng() % 3;
    for (std::size_t i = 0; i < lines; ++i) {
        frame += rng() % 4;
        const auto shape = rng() % 50;
        dat += shape == 0   ? "oops\n"
               : shape == 1 ? std::to_string(frame) + " AI E\r\n"
                            : std::to_string(frame) + " " + names[rng() % names.size()] + "\n";
    }
    return dat;
}

TEST(DatDocument, writesEachChoicesDocumentFromChunksOrInPlace) {
    std::mt19937 rng(20261214);
    for (int round = 0; round < 60; ++round) {
        const std::string dat = randomDat(rng, rng() % 60);
        TargetChoices choices;
        choices.target = targets[rng() % targets.size()];
        choices.setIndex = static_cast<int>(rng() % 5);
        choices.letters = rng() % 2 == 0;
        choices.hold = rng() % 3 == 0 ? std::nullopt : std::optional(rng() % 2 == 0);
        choices.offset = rng() % 2 == 0 ? 0 : static_cast<std::int64_t>(rng() % 7) - 3;
        const Expected want = expected(dat, choices);
        for (const bool lasting : {false, true}) {
            std::string document;
            DatDocument writer(
                choices, [&document](std::string_view chunk) { document.append(chunk); }, true);
            if (lasting) {
                writer.feedLasting(dat);
            } else {
                // Chunks cut anywhere, the last one a lasting one after others.
                std::size_t at = 0;
                while (at < dat.size()) {
                    const std::size_t size = std::min<std::size_t>(1 + rng() % 40, dat.size() - at);
                    const std::string_view chunk = std::string_view(dat).substr(at, size);
                    if (at > 0 && at + size == dat.size()) {
                        writer.feedLasting(chunk);
                    } else {
                        writer.feed(chunk);
                    }
                    at += size;
                }
            }
            const DatDocumentResult result = writer.finish();
            ASSERT_EQ(document, want.document) << dat;
            EXPECT_EQ(result.report.findings, want.findings) << dat;

            DatDocument findingsOnly(choices);
            findingsOnly.feedLasting(dat);
            EXPECT_EQ(findingsOnly.finish().report.findings, want.findings) << dat;
        }
    }
}

// Texts large enough for the checks to run on a second thread while they
// are written, for the text's own lines and for its cues, and for a
// document made from the cues to be written on a thread of its own.
TEST(DatDocument, checksALargeTextAlongsideAsTheyWouldAlone) {
    std::mt19937 rng(20261215);
    const std::string dat = randomDat(rng, 600'000);
    ASSERT_GT(dat.size(), std::size_t{4} << 20);
    const TimingReport alone = checkTimingText(dat, false);
    std::vector<TargetChoices> choicesList;
    for (const Target target : targets) {
        choicesList.emplace_back().target = target;
    }
    choicesList.emplace_back().cleanUp.minHold = 2;
    for (const TargetChoices& choices : choicesList) {
        std::string document;
        DatDocument writer(
            choices, [&document](std::string_view chunk) { document.append(chunk); }, true);
        writer.feedLasting(dat);
        const DatDocumentResult result = writer.finish();
        EXPECT_TRUE(document == expected(dat, choices).document) << targetName(choices.target);
        EXPECT_EQ(result.report.summary.keyframes, alone.summary.keyframes);
        EXPECT_EQ(result.report.findings,
                  targetFindings(alone.findings, writingFindings(dat, choices), choices));
    }

    // Cleaned up, a large text is made as though its frames rise: one whose
    // frames fall, or whose lines end otherwise, is made again in order.
    // With no checks, the thread alongside only confirms and writes.
    std::string falls = dat;
    falls.insert(falls.size() - 1, "\n1 MBP");
    std::string loneCr = dat;
    loneCr.insert(loneCr.size() / 2, "\r");
    const struct {
        const char* what;
        const std::string& text;
        bool checks;
    } cleaned[] = {{"rising, unchecked", dat, false},
                   {"falls", falls, true},
                   {"lone CR, unchecked", loneCr, false}};
    for (const auto& c : cleaned) {
        std::string document;
        DatDocument writer(
            choicesList.back(), [&document](std::string_view chunk) { document.append(chunk); },
            c.checks);
        writer.feedLasting(c.text);
        const DatDocumentResult result = writer.finish();
        const Expected want = expected(c.text, choicesList.back());
        EXPECT_TRUE(document == want.document) << c.what;
        if (c.checks) {
            EXPECT_EQ(result.report.findings, want.findings);
        }
    }
}

// The window shows the pieces of a document written from the text's own
// lines, and only of such a document.
TEST(DatDocument, keyLinesAreTheTextsOwnOnlyWhenNoNewOptionIsChosen) {
    const std::string dat = "MohoSwitch1\n1 AI\n4 Foo\n9 E\n";
    TargetChoices plain;
    plain.setIndex = 2;
    EXPECT_EQ(datKeyLines(dat, plain), convertDataLines(dat, buildMapping(2)));
    TargetChoices held = plain;
    held.hold = true;
    TargetChoices shifted = plain;
    shifted.offset = 1;
    TargetChoices remap = plain;
    remap.target = Target::TimeRemap;
    remap.hold = false;
    for (const TargetChoices& other : {held, shifted, remap}) {
        EXPECT_EQ(datKeyLines(dat, other), std::nullopt);
    }
}

} // namespace
