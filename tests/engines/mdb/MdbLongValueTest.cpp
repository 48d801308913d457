// Long values (memo, long binary, the catalogue's property blocks) read along their chain of
// pages as libmdb reads them, on a sound file with one page of our making added: a chain that
// ends, one that comes back on itself, one that leaves the file, one naming a row its page does
// not have. libmdb would follow a circle for ever, growing its buffer as it goes.
#include "tests/engines/mdb/MdbTestSupport.h"

#include "engines/mdb/MdbFile.h"

#include <cstdint>

using namespace qv;
using namespace qv::engine;
using namespace qv::mdbtest;

namespace {

void put16(std::string& s, std::size_t at, std::uint32_t v) {
    s[at] = static_cast<char>(v & 0xff);
    s[at + 1] = static_cast<char>((v >> 8) & 0xff);
}

void put32(std::string& s, std::size_t at, std::uint32_t v) {
    put16(s, at, v & 0xffff);
    put16(s, at + 2, v >> 16);
}

constexpr std::size_t Page = 4096;

// A data page of two rows at its end: row 0 links to `next0`, row 1 to `next1`; each carries
// four bytes after its link ("AAAA", "BBBB"). Row offsets follow the Jet 4 row count at 0x0c.
std::string chainPage(std::uint32_t next0, std::uint32_t next1) {
    std::string page(Page, '\0');
    page[0] = 1;
    put16(page, 0x0c, 3);
    put16(page, 0x0e, Page - 8);  // row 0: [Page - 8, Page)
    put16(page, 0x10, Page - 16); // row 1: [Page - 16, Page - 8)
    put16(page, 0x12, 0x1fff);    // row 2 starts past the page
    put32(page, Page - 8, next0);
    page.replace(Page - 4, 4, "AAAA");
    put32(page, Page - 16, next1);
    page.replace(Page - 12, 4, "BBBB");
    return page;
}

// The 12-byte header of a long value as a row holds it.
std::string header(std::uint32_t length, std::uint32_t pageRow) {
    std::string h(12, '\0');
    put32(h, 0, length);
    put32(h, 4, pageRow);
    return h;
}

class MdbLongValueTest : public ::testing::Test {
  protected:
    // testV2010.accdb with our page appended; returns its page number.
    std::uint32_t withPage(const std::string& page) {
        std::string bytes = readAll(fixture("testV2010.accdb"));
        const auto number = static_cast<std::uint32_t>(bytes.size() / Page);
        writeAll(mPath, bytes + page);
        return number;
    }
    std::string read(const std::string& h) {
        auto file = qv::engine::MdbFile::open(mPath, {});
        return file->readLongValue(reinterpret_cast<const unsigned char*>(h.data()),
                                   static_cast<int>(h.size()), "T.c");
    }
    TempDir mDir;
    std::string mPath = mDir.file("chain.accdb");
};

} // namespace

TEST_F(MdbLongValueTest, ChainsAreReadToTheirEnd) {
    QV_REQUIRE_ACCESS_FIXTURE("testV2010.accdb");
    // Row 1 leads to row 0, which ends the chain.
    const auto n = withPage(chainPage(0, 0));
    std::string again = chainPage(0, n << 8);
    withPage(again);
    EXPECT_EQ(read(header(8, (n << 8) | 1)), "BBBBAAAA");
    // One row on one page, and a value kept in the row itself.
    EXPECT_EQ(read(header(0x40000000u | 8, n << 8)), std::string("\0\0\0\0AAAA", 8));
    EXPECT_EQ(read(header(0x80000000u | 3, 0) + "xyz"), "xyz");
}

TEST_F(MdbLongValueTest, ChainsThatCircleOrLeaveTheFileAreRefused) {
    QV_REQUIRE_ACCESS_FIXTURE("testV2010.accdb");
    const auto n = withPage(chainPage(0, 0));
    withPage(chainPage((n << 8) | 1, n << 8)); // row 0 -> row 1 -> row 0 ...
    std::string why;
    EXPECT_EQ(errorNumber([&] { read(header(8, n << 8)); }, &why), err::UnrecognisedFormat);
    EXPECT_NE(why.find("circle"), std::string::npos) << why;
    // A link to a page past the end, and to a row the page does not have.
    withPage(chainPage((n + 9) << 8, 0));
    EXPECT_EQ(errorNumber([&] { read(header(8, n << 8)); }, &why), err::UnrecognisedFormat);
    EXPECT_NE(why.find("past the end"), std::string::npos) << why;
    EXPECT_EQ(errorNumber([&] { read(header(0x40000000u | 8, (n << 8) | 2)); }, &why),
              err::UnrecognisedFormat);
    EXPECT_NE(why.find("row 2"), std::string::npos) << why;
    // A header cut short.
    EXPECT_EQ(errorNumber([&] { read(header(8, n << 8).substr(0, 6)); }), err::UnrecognisedFormat);
}
