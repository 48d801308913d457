// The typed column reader of the client-side record set must answer, cell for cell, what
// valueAt answers: bulk copies take it instead of valueAt and must not see different data.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/ColumnarRecordset.h"
#include "platform/OleDateTime.h"
#include "platform/engine/IColumnarRecordset.h"

#include <bit>
#include <vector>

using namespace qv;
using namespace qv::enginetest;

namespace {

// Every storage kind, with nulls, values that do not fit their column and an empty text.
const char* const Schema = R"(
CREATE TABLE T (Id INTEGER PRIMARY KEY, Big BIGINT, Qty SMALLINT, Flag YESNO, Money CURRENCY,
                Ratio SINGLE, Amount DOUBLE, Exact DECIMAL, Placed DATETIME, Name TEXT(40), Pic BLOB);
INSERT INTO T VALUES (1, 5000000000, 3, 1, 12.5, 0.1, 0.1, 1.25, '2011-03-05 14:07:59', 'Zoë', x'0102');
INSERT INTO T VALUES (2, 7, -2, 0, 3, 1.25, -7.5, NULL, '2011-03-06', '', NULL);
INSERT INTO T VALUES (3, NULL, 'many', NULL, NULL, NULL, 'n/a', 2, 'not a date', NULL, x'');
INSERT INTO T VALUES (4, -1, 40000, -1, 'cheap', 2.5, 1e300, 0, NULL, 'last', NULL);
)";

// What a typed cell says must be what the Variant of the same cell says.
void expectSame(const ColumnCell& cell, const Variant& v, long column, long long row) {
    SCOPED_TRACE("column " + std::to_string(column) + ", row " + std::to_string(row));
    switch (cell.kind) {
    case ColumnCellKind::Null:
        EXPECT_TRUE(v.isNull());
        break;
    case ColumnCellKind::Number:
        ASSERT_TRUE(v.isNumber());
        // A single is handed on as the number a cell keeps for it: its shortest decimal.
        EXPECT_EQ(std::bit_cast<std::uint64_t>(cell.number),
                  std::bit_cast<std::uint64_t>(
                      v.type() == VarType::Single ? Variant::singleAsDecimal(static_cast<float>(v.toDouble()))
                                                  : v.toDouble()));
        break;
    case ColumnCellKind::Bool:
        ASSERT_EQ(v.type(), VarType::Boolean);
        EXPECT_EQ(cell.number != 0, v.toBool());
        break;
    case ColumnCellKind::Date:
        ASSERT_EQ(v.type(), VarType::Date);
        EXPECT_EQ(cell.number, v.toDate().value);
        break;
    case ColumnCellKind::Text:
        ASSERT_TRUE(v.isString());
        EXPECT_EQ(cell.text, v.str());
        break;
    case ColumnCellKind::Other:
        // Left to valueAt: only what the kinds above cannot say.
        EXPECT_FALSE(v.isNull());
        EXPECT_TRUE(v.type() == VarType::Binary || v.isString() || v.isNumber())
            << static_cast<int>(v.type());
        break;
    }
}

class ColumnarReadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.file("typed.db");
        makeDatabase(path, Schema);
        rs = std::dynamic_pointer_cast<engine::ColumnarRecordset>(
            openConnection(path)->execute("SELECT * FROM T ORDER BY Id"));
        ASSERT_TRUE(rs);
    }
    TempDir dir;
    std::string path;
    std::shared_ptr<engine::ColumnarRecordset> rs;
};

} // namespace

TEST_F(ColumnarReadTest, TypedCellsAgreeWithValueAtForEveryKind) {
    const long long rows = rs->recordCount();
    ASSERT_EQ(rows, 4);
    std::vector<ColumnCell> cells(static_cast<std::size_t>(rows));
    int others = 0, texts = 0, nulls = 0;
    for (long c = 0; c < rs->fieldCount(); ++c) {
        rs->readColumn(c, 0, cells.size(), cells.data());
        for (long long r = 0; r < rows; ++r) {
            const ColumnCell& cell = cells[static_cast<std::size_t>(r)];
            expectSame(cell, rs->valueAt(r, c), c, r);
            others += cell.kind == ColumnCellKind::Other;
            texts += cell.kind == ColumnCellKind::Text;
            nulls += cell.kind == ColumnCellKind::Null;
        }
    }
    // The table does exercise the fallback, the texts and the nulls.
    EXPECT_GE(others, 5);
    EXPECT_EQ(texts, 3);
    EXPECT_GE(nulls, 6);
    // A number column holding a text hands that cell to valueAt, the others stay typed.
    rs->readColumn(2, 0, cells.size(), cells.data());
    EXPECT_EQ(cells[2].kind, ColumnCellKind::Other);
    EXPECT_EQ(cells[0].kind, ColumnCellKind::Number);
    EXPECT_EQ(cells[0].number, 3.0);
}

TEST_F(ColumnarReadTest, ARunFromTheMiddleReadsThoseRowsAndBadRangesAreRefused) {
    std::vector<ColumnCell> cells(2);
    rs->readColumn(9, 2, 2, cells.data());
    EXPECT_EQ(cells[0].kind, ColumnCellKind::Null);
    EXPECT_EQ(cells[1].kind, ColumnCellKind::Text);
    EXPECT_EQ(cells[1].text, "last");
    EXPECT_EQ(errorNumberOf([&] { rs->readColumn(9, 3, 2, cells.data()); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { rs->readColumn(11, 0, 1, cells.data()); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { rs->readColumn(-1, 0, 1, cells.data()); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { rs->readColumn(0, -1, 1, cells.data()); }), err::SubscriptOutOfRange);
    rs->close();
    EXPECT_EQ(errorNumberOf([&] { rs->readColumn(0, 0, 1, cells.data()); }), err::ObjectClosed);
}

TEST_F(ColumnarReadTest, ATextColumnSharesTheBytesItsViewsPointIntoBeyondTheRecordSet) {
    std::vector<ColumnCell> cells(4);
    rs->readColumn(9, 0, cells.size(), cells.data());
    ColumnTextStorage names = rs->sharedText(9);
    ASSERT_TRUE(names.bytes);
    for (const ColumnCell& cell : cells) {
        if (cell.kind != ColumnCellKind::Text || cell.text.empty()) continue;
        EXPECT_GE(cell.text.data(), names.bytes.get());
        EXPECT_LE(cell.text.data() + cell.text.size(), names.bytes.get() + names.size);
    }
    // Only text columns share; a number column, a blob column and bad columns do not.
    EXPECT_FALSE(rs->sharedText(0).bytes);
    EXPECT_FALSE(rs->sharedText(10).bytes);
    EXPECT_EQ(errorNumberOf([&] { rs->sharedText(11); }), err::SubscriptOutOfRange);
    // The bytes outlive the record set that loaded them.
    const std::string_view last = cells[3].text;
    rs->close();
    rs.reset();
    EXPECT_EQ(last, "last");
    EXPECT_EQ(std::string_view(names.bytes.get(), names.size).find("Zoë"), 0u);
}

// Stored date texts read back as the dates they name, around the leap days the 100- and
// 400-year rules decide, whether a cell goes through valueAt or the typed reader.
TEST(StoredDateTest, LeapDaysOfTheFourHundredYearRuleReadBackAsDates) {
    TempDir dir;
    const std::string path = dir.file("dates.db");
    makeDatabase(path, R"(
CREATE TABLE D (Id INTEGER PRIMARY KEY, Placed DATETIME);
INSERT INTO D VALUES (1, '2000-02-29');
INSERT INTO D VALUES (2, '2000-02-29 23:59:59');
INSERT INTO D VALUES (3, '2000-03-01');
INSERT INTO D VALUES (4, '1900-03-01');
INSERT INTO D VALUES (5, '2400-02-29');
INSERT INTO D VALUES (6, '1900-02-29');
)");
    auto rs = std::dynamic_pointer_cast<engine::ColumnarRecordset>(
        openConnection(path)->execute("SELECT Placed FROM D ORDER BY Id"));
    ASSERT_TRUE(rs);
    const DateTimeParts expected[] = {{2000, 2, 29, 0, 0, 0},
                                      {2000, 2, 29, 23, 59, 59},
                                      {2000, 3, 1, 0, 0, 0},
                                      {1900, 3, 1, 0, 0, 0},
                                      {2400, 2, 29, 0, 0, 0}};
    std::vector<ColumnCell> cells(6);
    rs->readColumn(0, 0, cells.size(), cells.data());
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE("row " + std::to_string(i + 1));
        const Variant v = rs->valueAt(static_cast<long long>(i), 0);
        ASSERT_EQ(v.type(), VarType::Date);
        EXPECT_NEAR(v.toDate().value, OleDateTime::fromParts(expected[i]), 1e-9);
        EXPECT_EQ(OleDateTime::toParts(v.toDate().value), expected[i]);
        ASSERT_EQ(cells[i].kind, ColumnCellKind::Date);
        EXPECT_NEAR(cells[i].number, OleDateTime::fromParts(expected[i]), 1e-9);
    }
    // 1900 was no leap year: that text names no date and stays text.
    EXPECT_NE(rs->valueAt(5, 0).type(), VarType::Date);
    EXPECT_NE(cells[5].kind, ColumnCellKind::Date);
}
