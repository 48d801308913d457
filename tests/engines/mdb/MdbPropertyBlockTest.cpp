// Property blocks walked before libmdb walks them: a sound block passes whole, and each length
// libmdb would trust (record, name, value) is refused when it would make libmdb loop, read past
// the block, or read more than the value holds.
#include "engines/mdb/MdbPropertyBlock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using qv::engine::MdbPropertyBlock;

namespace {

void put16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xff);
    s += static_cast<char>((v >> 8) & 0xff);
}

void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xffff);
    put16(s, v >> 16);
}

// One record of the block: its length (header included), its type, its body.
std::string record(std::uint32_t type, const std::string& body, std::int64_t claimedLength = -1) {
    std::string r;
    put32(r, claimedLength < 0 ? static_cast<std::uint32_t>(body.size() + 6)
                               : static_cast<std::uint32_t>(claimedLength));
    put16(r, type);
    return r + body;
}

std::string names(const std::vector<std::string>& list) {
    std::string body;
    for (const auto& n : list) {
        put16(body, static_cast<std::uint32_t>(n.size()));
        body += n;
    }
    return body;
}

// A value: record length, a byte, the type, the name's number, the data's length, the data.
std::string value(int type, std::uint32_t name, const std::string& data, std::int64_t record = -1) {
    std::string v;
    put16(v, record < 0 ? static_cast<std::uint32_t>(data.size() + 8) : static_cast<std::uint32_t>(record));
    v += '\0';
    v += static_cast<char>(type);
    put16(v, name);
    put16(v, static_cast<std::uint32_t>(data.size()));
    return v + data;
}

std::string values(const std::string& blockName, const std::vector<std::string>& items) {
    std::string body;
    put32(body, 0);
    put16(body, static_cast<std::uint32_t>(blockName.size()));
    body += blockName;
    for (const auto& i : items)
        body += i;
    return body;
}

const std::string Mr2("MR2\0", 4);

std::string soundBlock() {
    return Mr2 + record(0x80, names({"Caption", "Required", "ColumnWidth"})) +
           record(0, values("", {value(10, 0, "Hi"), value(1, 1, std::string(1, '\1'))})) +
           record(1, values("Col", {value(3, 2, std::string("\x40\x06", 2))}));
}

} // namespace

TEST(MdbPropertyBlockTest, SoundBlocksPass) {
    EXPECT_EQ(MdbPropertyBlock::fault(soundBlock(), 4096), "");
    EXPECT_EQ(MdbPropertyBlock::fault(std::string("KKD\0", 4), 2048), "");
    // Values before any names are skipped by libmdb, so they are no danger.
    EXPECT_EQ(MdbPropertyBlock::fault(Mr2 + record(0, std::string(2, '\0')), 4096), "");
    // A value naming no name, or longer than its block, ends libmdb's walk there.
    EXPECT_EQ(MdbPropertyBlock::fault(
                  Mr2 + record(0x80, names({"A"})) + record(0, values("", {value(10, 7, "x", 0)})), 4096),
              "");
}

TEST(MdbPropertyBlockTest, RecordLengthsThatWouldLoopOrOverrunAreRefused) {
    // The record of length 0 that made libmdb allocate without end.
    EXPECT_NE(MdbPropertyBlock::fault(Mr2 + record(0, "", 0), 4096), "");
    EXPECT_NE(MdbPropertyBlock::fault(Mr2 + record(0x80, "", 5), 4096), "");
    EXPECT_NE(MdbPropertyBlock::fault(Mr2 + record(0x80, names({"A"}), 400), 4096), "");
    EXPECT_NE(MdbPropertyBlock::fault(soundBlock() + std::string(3, '\0'), 4096), "");
    EXPECT_NE(MdbPropertyBlock::fault(Mr2.substr(0, 3), 4096), "");
    EXPECT_NE(MdbPropertyBlock::fault("XYZ" + std::string(1, '\0') + record(0, ""), 4096), "");
}

TEST(MdbPropertyBlockTest, NamesAndValuesThatOverrunTheirRecordAreRefused) {
    std::string badNames;
    put16(badNames, 50);
    badNames += "short";
    EXPECT_NE(MdbPropertyBlock::fault(Mr2 + record(0x80, badNames), 4096), "");
    const std::string withNames = Mr2 + record(0x80, names({"Caption", "Format"}));
    // The block's own name runs past it; a value cut inside its header.
    std::string longName;
    put32(longName, 0);
    put16(longName, 99);
    EXPECT_NE(MdbPropertyBlock::fault(withNames + record(0, longName + "ab"), 4096), "");
    EXPECT_NE(
        MdbPropertyBlock::fault(withNames + record(0, values("", {value(10, 0, "Hi").substr(0, 5)})), 4096),
        "");
    // A value of record length 0 keeps libmdb on it for ever.
    EXPECT_NE(MdbPropertyBlock::fault(withNames + record(0, values("", {value(10, 0, "Hi", 0)})), 4096), "");
    // A date of four bytes: libmdb reads eight.
    EXPECT_NE(MdbPropertyBlock::fault(withNames + record(0, values("", {value(8, 1, "abcd")})), 4096), "");
    // Currency is read from libmdb's page buffer at the value's offset: past a page, out of reach.
    const std::string money = withNames + record(0, values("", {value(5, 1, std::string(8, '\1'))}));
    EXPECT_EQ(MdbPropertyBlock::fault(money, 4096), "");
    EXPECT_NE(MdbPropertyBlock::fault(money, 16), "");
}
