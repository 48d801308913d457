// The joined blocks must be one raw deflate stream that a plain inflater reads back byte for
// byte, with the CRC-32 of the whole input, whatever the block size, worker count, level or the
// way the input arrives; a failing sink must stop the stream without hanging or losing the error.
#include "spreadsheet/io/ParallelDeflater.h"
#include "platform/NumberedError.h"

#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <string>
#include <zlib.h>

using namespace qv;
using namespace qv::sheet;

namespace {

std::string inflateRaw(const std::string& packed, bool& complete) {
    z_stream s{};
    EXPECT_EQ(inflateInit2(&s, -15), Z_OK);
    std::string out;
    char buf[1 << 16];
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    s.avail_in = static_cast<uInt>(packed.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        s.next_out = reinterpret_cast<Bytef*>(buf);
        s.avail_out = sizeof buf;
        rc = inflate(&s, Z_NO_FLUSH);
        out.append(buf, sizeof buf - s.avail_out);
        if (rc == Z_BUF_ERROR && s.avail_in == 0) break;
    }
    complete = rc == Z_STREAM_END && s.avail_in == 0;
    inflateEnd(&s);
    return out;
}

// Sheet-like text: repetitive markup with varying numbers and words, so matches cross blocks.
std::string sheetText(std::size_t bytes, unsigned seed) {
    std::mt19937 rng(seed);
    const char* words[] = {"order", "shipped", "Zoë", "Müller", "&amp;", "courier", "fragile"};
    std::string s;
    for (long r = 1; s.size() < bytes; ++r) {
        s += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>" +
             std::to_string(rng() % 100000) + "</v></c><c r=\"B" + std::to_string(r) +
             "\" t=\"inlineStr\"><is><t>" + words[rng() % 7] + " " + words[rng() % 7] + "</t></is></c></row>";
    }
    s.resize(bytes);
    return s;
}

struct Packed {
    std::string bytes;
    std::uint32_t crc = 0;
    std::uint64_t in = 0, out = 0;
};

Packed pack(const std::string& input, int level, unsigned workers, std::size_t block, std::size_t piece,
            DeflateSearch search = {}) {
    Packed p;
    ParallelDeflater d(
        level, [&p](const char* data, std::size_t n) { p.bytes.append(data, n); }, workers, block, search);
    for (std::size_t at = 0; at < input.size(); at += piece)
        d.write(input.data() + at, std::min(piece, input.size() - at));
    d.finish();
    p.crc = d.crc();
    p.in = d.bytesIn();
    p.out = d.bytesOut();
    return p;
}

std::uint32_t crcOf(const std::string& s) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

} // namespace

TEST(ParallelDeflaterTest, JoinedBlocksInflateToTheInputAtEverySizeAroundTheCuts) {
    const std::size_t block = 1 << 16;
    const std::string text = sheetText(5 * block + 777, 1);
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, block - 1, block, block + 1, 2 * block,
                             3 * block + 5, text.size()}) {
        std::string input = text.substr(0, size);
        for (unsigned workers : {1u, 3u}) {
            Packed p = pack(input, 6, workers, block, 4000);
            bool complete = false;
            EXPECT_EQ(inflateRaw(p.bytes, complete), input) << size << " bytes, " << workers << " workers";
            EXPECT_TRUE(complete) << "the stream must end with its final block at " << size;
            EXPECT_EQ(p.crc, crcOf(input)) << size;
            EXPECT_EQ(p.in, input.size());
            EXPECT_EQ(p.out, p.bytes.size());
        }
    }
}

TEST(ParallelDeflaterTest, EveryLevelAndAnyWayOfFeedingGivesTheSameContent) {
    const std::string input = sheetText(700000, 2);
    for (int level : {0, 1, 6, 9}) {
        for (std::size_t piece : {std::size_t{1} << 20, std::size_t{7}, std::size_t{65536}}) {
            if (piece == 7 && level != 1) continue; // one byte-wise run is enough
            Packed p = pack(input, level, 2, 1 << 16, piece);
            bool complete = false;
            EXPECT_EQ(inflateRaw(p.bytes, complete), input) << "level " << level << ", pieces of " << piece;
            EXPECT_TRUE(complete);
            EXPECT_EQ(p.crc, crcOf(input));
        }
    }
}

TEST(ParallelDeflaterTest, AShorterMatchSearchStillMakesTheSameContent) {
    const std::string input = sheetText(800000, 7);
    Packed tuned = pack(input, 5, 2, 1 << 16, 1 << 20, ParallelDeflater::Search{8, 16, 24, 16});
    Packed plain = pack(input, 5, 2, 1 << 16, 1 << 20);
    bool complete = false;
    EXPECT_EQ(inflateRaw(tuned.bytes, complete), input);
    EXPECT_TRUE(complete);
    EXPECT_EQ(tuned.crc, crcOf(input));
    EXPECT_NE(tuned.bytes, plain.bytes) << "the search was not applied";
}

TEST(ParallelDeflaterTest, OutputDoesNotDependOnTheNumberOfWorkers) {
    const std::string input = sheetText(900000, 3);
    EXPECT_EQ(pack(input, 4, 1, 1 << 17, 1 << 15).bytes, pack(input, 4, 4, 1 << 17, 1 << 15).bytes);
}

TEST(ParallelDeflaterTest, PrimingWithThePreviousBlockKeepsTheRatioOfOneStream) {
    // Without the dictionary every block would start cold; small blocks show the difference.
    const std::string input = sheetText(2000000, 4);
    Packed blocks = pack(input, 6, 2, 1 << 16, 1 << 20);
    uLongf whole = compressBound(static_cast<uLong>(input.size()));
    std::string one(whole, '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(one.data()), &whole,
                        reinterpret_cast<const Bytef*>(input.data()), static_cast<uLong>(input.size()), 6),
              Z_OK);
    EXPECT_LT(static_cast<double>(blocks.bytes.size()), 1.01 * static_cast<double>(whole));
}

TEST(ParallelDeflaterTest, AFailingSinkEndsTheStreamWithItsErrorAndNoHang) {
    const std::string input = sheetText(3000000, 5);
    int calls = 0;
    auto run = [&] {
        ParallelDeflater d(
            1,
            [&calls](const char*, std::size_t) {
                if (++calls == 3) throw std::runtime_error("disk full");
            },
            2, 1 << 16);
        d.write(input.data(), input.size());
        d.finish();
    };
    EXPECT_THROW(run(), std::runtime_error);
    EXPECT_EQ(calls, 3) << "nothing may reach the sink after it failed";
}

TEST(ParallelDeflaterTest, AbandonedStreamStopsItsWorkersQuietly) {
    const std::string input = sheetText(1000000, 6);
    std::size_t received = 0;
    {
        ParallelDeflater d(
            6, [&received](const char*, std::size_t n) { received += n; }, 2, 1 << 16);
        d.write(input.data(), input.size());
        // destroyed without finish(): a save that failed half-way
    }
    SUCCEED() << received << " bytes handed on before the stream was abandoned";
}

TEST(ParallelDeflaterTest, OutOfRangeLevelIsRefusedAndWritingAfterTheEndIsAnError) {
    EXPECT_THROW(ParallelDeflater(10, [](const char*, std::size_t) {}), NumberedError);
    EXPECT_THROW(ParallelDeflater(-1, [](const char*, std::size_t) {}), NumberedError);
    ParallelDeflater d(1, [](const char*, std::size_t) {});
    d.write("abc", 3);
    d.finish();
    EXPECT_THROW(d.write("x", 1), NumberedError);
}
