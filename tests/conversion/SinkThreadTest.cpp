// A document made before it is known to be right waits unwritten, however
// far its maker runs ahead, and is then written whole or not at all.
#include "SinkThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

using namespace mouthkey;

namespace {

TEST(SinkThread, aHeldDocumentIsWrittenWholeAndInOrderOrNotAtAll) {
    std::string whole;
    for (int i = 0; i < 300; ++i) {
        whole += std::to_string(i) + ",";
    }
    for (const SinkThread::Writer writer : {SinkThread::Writer::Own, SinkThread::Writer::Served})
        for (const bool write : {true, false})
            for (const std::size_t room : {1, 3}) {
                std::string written;
                const ChunkSink sink = [&written](std::string_view chunk) {
                    written.append(chunk);
                };
                {
                    SinkThread writing(sink, writer, 16);
                    writing.hold(room);
                    // Settled late, so that the maker has long filled the room and waits.
                    const auto settleLate = [&writing, write] {
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                        writing.settle(write);
                    };
                    std::jthread other([&, first = true]() mutable {
                        if (writer == SinkThread::Writer::Own) {
                            settleLate();
                            return;
                        }
                        writing.serve([&] {
                            if (first) {
                                settleLate();
                                first = false;
                                return true;
                            }
                            return false;
                        });
                    });
                    for (int i = 0; i < 300; ++i) {
                        writing.put(std::to_string(i) + ",");
                    }
                    EXPECT_EQ(writing.settled(), write);
                    writing.close();
                }
                EXPECT_EQ(written, write ? whole : "") << "room " << room;
            }
}

} // namespace
