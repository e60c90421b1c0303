#include "conversion/DocumentWriter.h"
#include "conversion/DataLineConversion.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace mouthkey;

namespace {

std::string assembled(std::string_view text, int set, int rate) {
    return assembleDocument(headertop, rateLine(rate), headerbottom,
                            convertDataLines(text, buildMapping(set)), footer);
}

TEST(DocumentWriter, writesTheAssembledDocumentInBoundedChunks) {
    const std::string text = "MohoSwitch1\n1 rest\n5 MBP\r\n9 AI E\n12 ai\n";
    for (const auto& [set, rate] : {std::pair{-1, -1}, {2, 3}, {4, 9}, {7, 12}}) {
        std::string out;
        std::size_t largest = 0;
        DocumentWriter writer(
            set, rate,
            [&](std::string_view chunk) {
                out.append(chunk);
                largest = std::max(largest, chunk.size());
            },
            1);
        for (char c : text) {
            writer.feed(std::string_view(&c, 1));
        }
        writer.finish();
        EXPECT_EQ(out, assembled(text, set, rate)) << "set " << set << ", rate " << rate;
        EXPECT_LE(largest, documentHead(rateLine(rate)).size());
    }
}

TEST(DocumentWriter, writesNothingUntilTextArrivesAndAnEmptyDocumentAtFinish) {
    std::string out;
    {
        DocumentWriter dropped(0, 0, [&](std::string_view chunk) { out.append(chunk); });
    }
    EXPECT_EQ(out, "");
    DocumentWriter writer(0, 0, [&](std::string_view chunk) { out.append(chunk); });
    writer.finish();
    EXPECT_EQ(out, assembled("", 0, 0));
}

TEST(DocumentWriter, streamFormWritesTheSameBytes) {
    std::ostringstream out;
    writeDocument("h\n1 AI\n", 3, 1, out);
    EXPECT_EQ(out.str(), assembled("h\n1 AI\n", 3, 1));
}

} // namespace
