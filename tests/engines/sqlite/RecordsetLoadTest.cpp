// The load takes each cell by the storage class its column's declared type leads one to expect,
// and hands every other value to the converting path; a column may change class at any row.
// Record sets loaded one after another reuse the pages of those released before them.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/ColumnarRecordset.h"
#include "engines/sqlite/PageReserve.h"
#include "platform/OleDateTime.h"
#include "platform/engine/IColumnarRecordset.h"

#include <sys/mman.h>
#include <thread>
#include <vector>

using namespace qv;
using namespace qv::enginetest;

namespace {

constexpr long long Rows = 10000;

// Every column keeps its expected class except at a few rows past the first thousands, where
// the fast path has long been taken.
const char* const MixedTable = R"(
CREATE TABLE M (Id INTEGER PRIMARY KEY, N INTEGER, T TEXT, R REAL, D DATETIME, B YESNO,
                LateNull INTEGER, FirstNull TEXT);
WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < 9999)
INSERT INTO M SELECT i,
  CASE i WHEN 5000 THEN 2.5 WHEN 5001 THEN 'x' WHEN 5002 THEN x'0A0B' ELSE i * 3 END,
  CASE i WHEN 6000 THEN x'00FF' WHEN 6001 THEN 42 ELSE printf('t%d é', i) END,
  CASE i WHEN 7000 THEN 7 WHEN 7001 THEN '3.5' WHEN 7002 THEN 'abc' ELSE i + 0.25 END,
  CASE i WHEN 8000 THEN 'never' WHEN 8001 THEN 5 ELSE printf('2021-03-%02d 10:00:00', 1 + i % 28) END,
  CASE i WHEN 9000 THEN 0.0 WHEN 9001 THEN 'yes' ELSE i % 2 END,
  CASE i WHEN 9999 THEN NULL ELSE i END,
  CASE i WHEN 0 THEN NULL ELSE 'f' END
FROM s;
)";

std::shared_ptr<engine::ColumnarRecordset> load(const std::string& path, const std::string& sql) {
    return std::dynamic_pointer_cast<engine::ColumnarRecordset>(openConnection(path)->execute(sql));
}

} // namespace

TEST(RecordsetLoadTest, ValuesChangingStorageClassMidColumnKeepTheirRowsAndValues) {
    TempDir dir;
    const std::string path = dir.file("mixed.db");
    makeDatabase(path, MixedTable);
    auto rs = load(path, "SELECT N, T, R, D, B, LateNull, FirstNull FROM M ORDER BY Id");
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->recordCount(), Rows);

    EXPECT_EQ(rs->valueAt(4999, 0), Variant::longValue(14997));
    EXPECT_EQ(rs->valueAt(5000, 0), Variant(2.5));
    EXPECT_EQ(rs->valueAt(5001, 0), Variant("x"));
    EXPECT_EQ(rs->valueAt(5002, 0).type(), VarType::Binary);
    EXPECT_EQ(rs->valueAt(5003, 0), Variant::longValue(15009));

    EXPECT_EQ(rs->valueAt(6000, 1).type(), VarType::Binary);
    EXPECT_EQ(rs->valueAt(6001, 1), Variant("42"));
    EXPECT_EQ(rs->valueAt(6002, 1), Variant("t6002 é"));

    EXPECT_EQ(rs->valueAt(7000, 2), Variant(7.0));
    EXPECT_EQ(rs->valueAt(7001, 2), Variant(3.5));
    EXPECT_EQ(rs->valueAt(7002, 2), Variant("abc"));
    EXPECT_EQ(rs->valueAt(7003, 2), Variant(7003.25));

    EXPECT_EQ(rs->valueAt(8000, 3), Variant("never"));
    EXPECT_EQ(rs->valueAt(8001, 3), Variant(std::int64_t{5}));
    ASSERT_EQ(rs->valueAt(8002, 3).type(), VarType::Date);
    EXPECT_EQ(OleDateTime::toParts(rs->valueAt(8002, 3).toDate().value),
              (DateTimeParts{2021, 3, 23, 10, 0, 0}));

    EXPECT_EQ(rs->valueAt(8999, 4), Variant(true));
    EXPECT_EQ(rs->valueAt(9000, 4), Variant(false));
    EXPECT_EQ(rs->valueAt(9001, 4), Variant("yes"));
    EXPECT_EQ(rs->valueAt(9002, 4), Variant(false));

    // Nulls that first come late, or only at the start, are still told apart from values in
    // every word of the null bitmap.
    std::vector<ColumnCell> cells(static_cast<std::size_t>(Rows));
    for (long c : {5L, 6L}) {
        rs->readColumn(c, 0, cells.size(), cells.data());
        const long long nullRow = c == 5 ? Rows - 1 : 0;
        for (long long r = 0; r < Rows; ++r) {
            ASSERT_EQ(cells[static_cast<std::size_t>(r)].kind == ColumnCellKind::Null, r == nullRow)
                << "column " << c << ", row " << r;
            ASSERT_EQ(rs->valueAt(r, c).isNull(), r == nullRow) << "column " << c << ", row " << r;
        }
    }
    // A column without a single null has none anywhere.
    rs->readColumn(0, 0, cells.size(), cells.data());
    for (const ColumnCell& cell : cells)
        ASSERT_NE(cell.kind, ColumnCellKind::Null);
}

TEST(PageReserveTest, KeepsReleasedMappingsWithinItsLimitAndHandsOutTheLargestThatFits) {
    constexpr std::size_t Page = 4096;
    auto map = [](std::size_t bytes) {
        void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        EXPECT_NE(p, MAP_FAILED);
        static_cast<char*>(p)[0] = 1;
        return p;
    };
    engine::PageReserve reserve(40 * Page);
    void* small = map(8 * Page);
    void* large = map(16 * Page);
    reserve.give(small, 8 * Page);
    reserve.give(large, 16 * Page);
    EXPECT_EQ(reserve.keptBytes(), 24 * Page);
    EXPECT_EQ(reserve.take(32 * Page).address, nullptr);

    auto taken = reserve.take(4 * Page);
    EXPECT_EQ(taken.address, large);
    EXPECT_EQ(taken.bytes, 16 * Page);
    static_cast<char*>(taken.address)[16 * Page - 1] = 7; // writable, whole
    EXPECT_EQ(reserve.keptBytes(), 8 * Page);

    // Past the limit the oldest go first; a mapping larger than the limit is not kept at all.
    reserve.give(taken.address, taken.bytes);
    reserve.give(map(20 * Page), 20 * Page);
    EXPECT_EQ(reserve.keptCount(), 2u);
    EXPECT_EQ(reserve.keptBytes(), 36 * Page);
    EXPECT_EQ(reserve.take(8 * Page).bytes, 20 * Page);
    reserve.give(map(41 * Page), 41 * Page);
    EXPECT_EQ(reserve.keptBytes(), 16 * Page);
    reserve.clear();
    EXPECT_EQ(reserve.keptCount(), 0u);
}

TEST(PageReserveTest, ARecordSetLoadedIntoReusedPagesHoldsOnlyItsOwnValues) {
    TempDir dir;
    const std::string path = dir.file("reuse.db");
    // Long texts and many rows, so that every column leaves the heap for a mapping.
    makeDatabase(path, "CREATE TABLE A (N INTEGER, T TEXT, R REAL);"
                       "WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < 29999) "
                       "INSERT INTO A SELECT i, printf('%0100d', i), i * 0.5 FROM s;"
                       "CREATE TABLE B (N INTEGER, T TEXT, R REAL);"
                       "WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < 19999) "
                       "INSERT INTO B SELECT CASE WHEN i % 3 = 0 THEN NULL ELSE -i END,"
                       " CASE WHEN i % 4 = 0 THEN NULL ELSE printf('b%d', i) END,"
                       " CASE WHEN i % 5 = 0 THEN NULL ELSE -i * 0.25 END FROM s;"
                       "CREATE TABLE C (T TEXT);"
                       "WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < 1999) "
                       "INSERT INTO C SELECT printf('%099d', i) FROM s;");
    auto& shared = engine::PageReserve::shared();
    load(path, "SELECT * FROM A").reset();
    const std::size_t keptAfterA = shared.keptBytes();
    ASSERT_GT(keptAfterA, 0u);

    // A small set takes the largest kept mapping and gives back what it does not fill, so the
    // pages stay for the next large load.
    auto small = load(path, "SELECT * FROM C");
    ASSERT_EQ(small->recordCount(), 2000);
    EXPECT_EQ(small->valueAt(1999, 0).str(), std::string(95, '0') + "1999");
    EXPECT_GE(shared.keptBytes() + (std::size_t(1) << 20), keptAfterA);
    small.reset();

    auto check = [&](const std::shared_ptr<engine::ColumnarRecordset>& b) {
        ASSERT_EQ(b->recordCount(), 20000);
        for (long long i = 0; i < 20000; ++i) {
            const Variant n = b->valueAt(i, 0), t = b->valueAt(i, 1), r = b->valueAt(i, 2);
            ASSERT_EQ(n.isNull(), i % 3 == 0) << i;
            if (!n.isNull()) {
                ASSERT_EQ(n.toInt64(), -i) << i;
            }
            ASSERT_EQ(t.isNull(), i % 4 == 0) << i;
            if (!t.isNull()) {
                ASSERT_EQ(t.str(), "b" + std::to_string(i)) << i;
            }
            ASSERT_EQ(r.isNull(), i % 5 == 0) << i;
            if (!r.isNull()) {
                ASSERT_EQ(r.toDouble(), static_cast<double>(-i) * 0.25) << i;
            }
        }
    };
    auto b = load(path, "SELECT * FROM B");
    EXPECT_LT(shared.keptBytes(), keptAfterA); // B took pages A left
    check(b);
    b.reset();

    // Loads on two threads at once share the reserve without handing one mapping to both.
    auto loop = [&] {
        for (int k = 0; k < 3; ++k) {
            auto again = load(path, "SELECT * FROM B");
            check(again);
        }
    };
    std::thread other(loop);
    loop();
    other.join();
}
