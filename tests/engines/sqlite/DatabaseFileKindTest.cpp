// Telling files apart before opening them: only noise in whole pages is taken for an encrypted
// database, so a password is never asked for a file that cannot have one.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/CipherLibrary.h"
#include "engines/sqlite/DatabaseFileKind.h"

#include <random>

using namespace qv;
using namespace qv::enginetest;
using Kind = qv::engine::DatabaseFileKind::Kind;
using qv::engine::DatabaseFileKind;

namespace {

std::string noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string out(size, '\0');
    for (auto& c : out)
        c = static_cast<char>(random() & 0xff);
    return out;
}

} // namespace

TEST(DatabaseFileKindTest, KindsByContent) {
    TempDir dir;
    auto kindOf = [&](const std::string& name, const std::string& bytes) {
        writeAll(dir.file(name), bytes);
        return DatabaseFileKind::of(dir.file(name));
    };
    const std::string db = dir.file("plain.db");
    makeDatabase(db, "CREATE TABLE T (A TEXT); INSERT INTO T VALUES ('x');");
    EXPECT_EQ(DatabaseFileKind::of(db), Kind::Sqlite);
    EXPECT_EQ(kindOf("noise1k", noise(1024, 1)), Kind::Encrypted);
    EXPECT_EQ(kindOf("noise64k", noise(65536, 2)), Kind::Encrypted);
    // Noise, but not in whole pages: a cut-off file or some other random data.
    EXPECT_EQ(kindOf("noiseodd", noise(5000, 3)), Kind::Other);
    EXPECT_EQ(kindOf("zeros", std::string(65536, '\0')), Kind::Other);
    EXPECT_EQ(kindOf("letters", std::string(4096, 'Z')), Kind::Other);
    EXPECT_EQ(kindOf("empty", ""), Kind::Other);
    std::string jet(4096, '\0');
    jet.replace(0, 19, std::string("\x00\x01\x00\x00Standard Jet DB", 19));
    EXPECT_EQ(kindOf("jet.mdb", jet), Kind::Access);
    std::string ace = noise(4096, 4); // an encrypted ACCDB still names its format
    ace.replace(4, 15, "Standard ACE DB");
    EXPECT_EQ(kindOf("ace.accdb", ace), Kind::Access);
    EXPECT_EQ(DatabaseFileKind::of(dir.file("missing")), Kind::Other);
}

TEST(DatabaseFileKindTest, RealDatabasesAreFarFromNoise) {
    // Also pages full of blobs keep enough structure to stay below the threshold.
    TempDir dir;
    const std::string db = dir.file("blobs.db");
    makeDatabase(db, "CREATE TABLE B (Id INTEGER PRIMARY KEY, Data BLOB);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50) "
                     "INSERT INTO B (Data) SELECT randomblob(3000) FROM n;");
    std::string bytes = readAll(db);
    bytes.replace(0, 16, std::string(16, '\x7f')); // header gone: only the content can tell
    writeAll(db, bytes);
    EXPECT_EQ(DatabaseFileKind::of(db), Kind::Other);
    const auto chinook = FixtureDir / "Chinook_Sqlite.sqlite";
    if (std::filesystem::exists(chinook)) {
        std::string head = readAll(chinook.string()).substr(0, 4096);
        EXPECT_LT(DatabaseFileKind::entropy(reinterpret_cast<const unsigned char*>(head.data()), head.size()),
                  7.0);
    }
    const std::string random = noise(4096, 5);
    EXPECT_GT(DatabaseFileKind::entropy(reinterpret_cast<const unsigned char*>(random.data()), random.size()),
              7.9);
}

TEST(DatabaseFileKindTest, OpeningAnswersByKindAndTouchesNothing) {
    TempDir dir;
    struct Case {
        std::string name, bytes;
        std::int32_t expected;
    };
    std::string jet(8192, '\0');
    jet.replace(4, 15, "Standard Jet DB");
    std::string damaged(8192, '\0');
    damaged.replace(0, 16, std::string("SQLite format 3\0", 16));
    damaged[16] = 0x7f; // an impossible page size
    const std::vector<Case> cases = {
        {"zeros.db", std::string(65536, '\0'), err::UnrecognisedFormat},
        {"jet.mdb", jet, err::DaoFormatNotInstalled},
        {"damaged.db", damaged, err::UnrecognisedFormat},
        {"short.db", "SQLite", err::UnrecognisedFormat},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(c.name);
        writeAll(path, c.bytes);
        std::string description;
        EXPECT_EQ(errorNumberOf([&] { openDao(path, false, ";pwd=anything"); }, &description), c.expected)
            << c.name << ": " << description;
        EXPECT_EQ(readAll(path), c.bytes) << c.name;
        EXPECT_FALSE(std::filesystem::exists(path + "-journal")) << c.name;
    }
    // Noise in whole pages may be encrypted: then, and only then, the password is what fails.
    if (engine::CipherLibrary::available()) {
        const std::string path = dir.file("noise.db");
        writeAll(path, noise(8192, 6));
        EXPECT_EQ(errorNumberOf([&] { openDao(path, false, ";pwd=anything"); }), err::DaoPasswordNotValid);
        EXPECT_EQ(errorNumberOf([&] { openDao(path); }), err::DaoPasswordNotValid);
    }
}

TEST(DatabaseFileKindTest, AccessFixturesAreNamedNotAskedAPasswordFor) {
    const std::filesystem::path access = "../shared/fixtures/access";
    if (!std::filesystem::exists(access)) GTEST_SKIP() << "fixtures " << access << " are absent";
    TempDir dir;
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(access)) {
        const auto ext = entry.path().extension();
        if (ext != ".mdb" && ext != ".accdb") continue;
        const std::string copy = dir.file(entry.path().filename().string());
        std::filesystem::copy_file(entry.path(), copy);
        std::string description;
        EXPECT_EQ(errorNumberOf([&] { openDao(copy, false, ";pwd=x"); }, &description),
                  err::DaoFormatNotInstalled)
            << copy;
        EXPECT_NE(description.find("Access"), std::string::npos) << description;
        EXPECT_EQ(readAll(copy), readAll(entry.path().string())) << copy;
        ++seen;
    }
    EXPECT_GE(seen, 10);
}
