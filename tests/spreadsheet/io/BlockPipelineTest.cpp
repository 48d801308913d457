// The two-thread block pipeline under the writers: order, bounded memory, and what a failure
// on either thread leaves behind.
#include "spreadsheet/io/BlockPipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace qv::sheet;

namespace {
// Block i's text; some blocks take longer so that the threads finish out of order.
void slowBlock(std::size_t i, std::string& out) {
    if (i % 7 == 3) std::this_thread::sleep_for(std::chrono::microseconds(300));
    out += "block " + std::to_string(i) + "\n";
}
std::string expected(std::size_t blocks) {
    std::string all;
    for (std::size_t i = 0; i < blocks; ++i)
        all += "block " + std::to_string(i) + "\n";
    return all;
}
} // namespace

TEST(BlockPipelineTest, WritesEveryBlockOnceInOrderOnOneOrTwoThreads) {
    for (unsigned threads : {1u, 2u}) {
        for (std::size_t blocks : {0u, 1u, 2u, 5u, 300u}) {
            std::string file;
            BlockPipeline::run(
                blocks, slowBlock, [&](std::string_view b) { file.append(b); }, threads);
            EXPECT_EQ(file, expected(blocks)) << threads << " threads, " << blocks << " blocks";
        }
    }
}

TEST(BlockPipelineTest, BothThreadsFormatAndTheWriterStaysOnTheCallingThread) {
    std::mutex m;
    std::vector<std::thread::id> formatters;
    const auto caller = std::this_thread::get_id();
    bool writerElsewhere = false;
    BlockPipeline::run(
        200,
        [&](std::size_t i, std::string& out) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            std::lock_guard lock(m);
            formatters.push_back(std::this_thread::get_id());
            out = std::to_string(i);
        },
        [&](std::string_view) { writerElsewhere = writerElsewhere || std::this_thread::get_id() != caller; },
        2);
    EXPECT_FALSE(writerElsewhere);
    std::size_t onWorker = 0;
    for (auto id : formatters)
        onWorker += id != caller;
    EXPECT_GT(onWorker, 0u);
    EXPECT_LT(onWorker, formatters.size());
}

TEST(BlockPipelineTest, NoBlockIsFormattedFarAheadOfTheWriter) {
    std::atomic<std::size_t> written{0};
    std::atomic<bool> tooFar{false};
    BlockPipeline::run(
        500,
        [&](std::size_t i, std::string& out) {
            if (i >= written.load() + 8) tooFar = true;
            out.assign(1000, 'x');
        },
        [&](std::string_view) {
            std::this_thread::sleep_for(std::chrono::microseconds(100)); // a slow disk
            ++written;
        },
        2);
    EXPECT_EQ(written.load(), 500u);
    EXPECT_FALSE(tooFar.load());
}

TEST(BlockPipelineTest, AFormatFailureIsRaisedAndNothingAfterItIsWritten) {
    for (unsigned threads : {1u, 2u}) {
        std::vector<std::size_t> written;
        try {
            BlockPipeline::run(
                100,
                [](std::size_t i, std::string& out) {
                    if (i == 37) throw std::runtime_error("cell 37 cannot be shown");
                    out = std::to_string(i);
                },
                [&](std::string_view b) { written.push_back(std::stoul(std::string(b))); }, threads);
            FAIL() << "the failure was not raised";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "cell 37 cannot be shown");
        }
        ASSERT_LE(written.size(), 37u);
        for (std::size_t i = 0; i < written.size(); ++i)
            EXPECT_EQ(written[i], i);
    }
}

TEST(BlockPipelineTest, AWriteFailureStopsTheWorker) {
    std::atomic<std::size_t> formatted{0};
    std::size_t writes = 0;
    EXPECT_THROW(BlockPipeline::run(
                     10000,
                     [&](std::size_t, std::string& out) {
                         ++formatted;
                         out = "x";
                     },
                     [&](std::string_view) {
                         if (++writes == 5) throw std::runtime_error("disk full");
                     },
                     2),
                 std::runtime_error);
    EXPECT_EQ(writes, 5u);
    EXPECT_LT(formatted.load(), 20u); // the worker ended instead of formatting the rest
}
