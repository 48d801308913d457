// The zip layer under the package reader: names as long as the zip directory allows, and
// refusals that give back every handle and file descriptor they took.
#include "tests/spreadsheet/io/HandMadePackage.h"
#include "tests/spreadsheet/support/SheetTestSupport.h"
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "spreadsheet/io/ZipPackageReader.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {

std::size_t openDescriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

// A sound package whose central directory's first entry no longer carries its signature:
// the archive opens, listing its directory fails.
std::string damagedDirectory(const TempDir& dir) {
    std::string path = dir.file("damaged.xlsx");
    HandMadePackage::minimal("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>").write(path);
    std::string bytes = readFile(path);
    std::size_t central = bytes.find(std::string("PK\x01\x02", 4));
    if (central == std::string::npos) throw std::runtime_error("no central directory");
    bytes[central + 2] = 0;
    bytes[central + 3] = 0;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}

// Lowers the soft limit of open files for one test, so that a leak shows within a few
// hundred attempts whatever the machine's own limit is.
class FewDescriptors {
  public:
    explicit FewDescriptors(rlim_t limit) {
        getrlimit(RLIMIT_NOFILE, &mSaved);
        rlimit low = mSaved;
        low.rlim_cur = std::min<rlim_t>(limit, mSaved.rlim_cur);
        setrlimit(RLIMIT_NOFILE, &low);
    }
    ~FewDescriptors() { setrlimit(RLIMIT_NOFILE, &mSaved); }

  private:
    rlimit mSaved{};
};

} // namespace

TEST(ZipPackageReaderTest, PartNamesLongerThanAnyFixedBufferAreReadWhole) {
    TempDir dir;
    const std::string longName = "xl/media/" + std::string(1100, 'n') + ".bin";
    const std::string longest = std::string(4000, 'q'); // well past what a path buffer holds
    {
        ZipPackage zip(dir.file("long.zip"), "long.zip", 6);
        for (const std::string& name : {longName, longest, std::string("short.xml")}) {
            zip.beginPart(name);
            zip.write("content of " + name.substr(0, 12));
            zip.endPart();
        }
        zip.close();
    }
    ZipPackageReader reader(dir.file("long.zip"), "long.zip");
    // Compared by length first: a mangled name of thousands of bytes makes an unreadable report.
    ASSERT_EQ(reader.parts().size(), 3u);
    EXPECT_EQ(reader.parts()[0].size(), longName.size());
    EXPECT_EQ(reader.parts()[1].size(), longest.size());
    EXPECT_TRUE(reader.parts()[0] == longName && reader.parts()[1] == longest);
    EXPECT_EQ(reader.parts()[2], "short.xml");
    EXPECT_EQ(reader.read(longName), "content of " + longName.substr(0, 12));
    EXPECT_EQ(reader.read(longest), "content of qqqqqqqqqqqq");
    EXPECT_EQ(reader.read("short.xml"), "content of short.xml");
}

TEST(ZipPackageReaderTest, APackageWithALongPartNameStillOpensAsAWorkbook) {
    TempDir dir;
    HandMadePackage p =
        HandMadePackage::minimal("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>kept</t></is></c></row>");
    p.parts["customXml/" + std::string(1100, 'x') + ".xml"] = "<x/>";
    p.write(dir.file("long.xlsx"));
    qv::test::HostFixture f;
    auto ws = f.app->openWorkbook(dir.file("long.xlsx"))->worksheet(1);
    EXPECT_EQ(ws->range("A1")->value(), Variant("kept"));
}

TEST(ZipPackageReaderTest, RefusedPackagesGiveBackTheirDescriptors) {
    TempDir dir;
    std::string damaged = damagedDirectory(dir);
    std::ofstream(dir.file("notzip.xlsx"), std::ios::binary) << "PK\x03\x04 but nothing more";
    const std::size_t before = openDescriptors();
    for (int i = 0; i < 50; ++i) {
        NumberedError e = qv::test::errorOf([&] { ZipPackageReader r(damaged, "damaged.xlsx"); });
        EXPECT_EQ(e.number(), err::ApplicationDefined);
        EXPECT_NE(e.description().find("directory is damaged"), std::string::npos) << e.description();
        e = qv::test::errorOf([&] { ZipPackageReader r(dir.file("notzip.xlsx"), "notzip.xlsx"); });
        EXPECT_EQ(e.number(), err::ApplicationDefined);
    }
    EXPECT_EQ(openDescriptors(), before) << "refused packages kept their files open";
}

TEST(ZipPackageReaderTest, ManyRefusalsDoNotStopASoundWorkbookFromOpening) {
    TempDir dir;
    std::string damaged = damagedDirectory(dir);
    HandMadePackage::minimal("<row r=\"1\"><c r=\"A1\"><v>42</v></c></row>").write(dir.file("good.xlsx"));
    qv::test::HostFixture f;
    FewDescriptors limit(openDescriptors() + 64);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(qv::test::errorOf([&] { f.app->openWorkbook(damaged); }).number(), err::ApplicationDefined)
            << "attempt " << i;
    auto ws = f.app->openWorkbook(dir.file("good.xlsx"))->worksheet(1);
    EXPECT_EQ(ws->range("A1")->value(), Variant(42.0));
}
