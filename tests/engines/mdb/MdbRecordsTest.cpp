// Rows of real Access files with the values their authors stored: dates outside libmdb's text
// range, exact currency, decimals, big integers, GUIDs, text with line breaks, nulls apart from
// empty text; and the columnar record sets built over an in-memory copy of a table.
#include "tests/engines/mdb/MdbTestSupport.h"

#include "engines/mdb/MdbCatalogue.h"
#include "engines/mdb/MdbRecordsets.h"
#include "engines/mdb/MdbTable.h"
#include "platform/OleDateTime.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <fmt/format.h>

using namespace qv;
using namespace qv::engine;
using namespace qv::mdbtest;

namespace {

std::vector<std::vector<Variant>> rowsOf(const MdbCatalogue& c, const std::string& table) {
    MdbTable t(c.file(), table);
    std::vector<std::vector<Variant>> rows;
    t.readRows([&](const std::vector<Variant>& row) {
        rows.push_back(row);
        return true;
    });
    return rows;
}

std::string isoDate(const Variant& v) {
    EXPECT_EQ(v.type(), VarType::Date);
    return OleDateTime::toIsoText(v.toDouble());
}

} // namespace

TEST(MdbRecordsTest, DatesOutsideLibmdbsTextRangeKeepTheirValue) {
    QV_REQUIRE_ACCESS_FIXTURE("DateTestDatabase.mdb");
    auto c = MdbCatalogue::open(fixture("DateTestDatabase.mdb"), {});
    const auto rows = rowsOf(*c, "DateTest");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(isoDate(rows[0][1]), "2021-12-02");
    EXPECT_EQ(isoDate(rows[1][1]), "9999-01-01");
    EXPECT_EQ(isoDate(rows[2][1]), "1898-01-01");
    EXPECT_EQ(isoDate(rows[2][2]), "1899-01-01");
    EXPECT_EQ(isoDate(rows[3][1]), "0632-01-01");
    EXPECT_EQ(isoDate(rows[3][3]), "0634-01-01");
    EXPECT_EQ(rows[5][4].toString(), "New line\r\nin field");
    EXPECT_EQ(rows[4][5].toString(), "Escaped new line \\r\\n in field");
}

TEST(MdbRecordsTest, BasicTypesDecodeToTheirVariants) {
    QV_REQUIRE_ACCESS_FIXTURE("testV2010.accdb");
    auto c = MdbCatalogue::open(fixture("testV2010.accdb"), {});
    const auto rows = rowsOf(*c, "Table1");
    ASSERT_EQ(rows.size(), 2u);
    const auto& r = rows[1];
    EXPECT_EQ(r[0].toString(), "abcdefg");
    EXPECT_EQ(r[2].type(), VarType::Byte);
    EXPECT_EQ(r[2].toInt64(), 2);
    EXPECT_EQ(r[3].type(), VarType::Integer);
    EXPECT_EQ(r[3].toInt64(), 222);
    EXPECT_EQ(r[4].toInt64(), 333333333);
    EXPECT_DOUBLE_EQ(r[5].toDouble(), 444.555);
    EXPECT_EQ(isoDate(r[6]), "1974-09-21");
    EXPECT_EQ(r[7].type(), VarType::Currency);
    EXPECT_EQ(r[7].toCurrency().scaled, 35000);
    EXPECT_EQ(r[8].type(), VarType::Boolean);
    EXPECT_TRUE(r[8].toBool());
    EXPECT_FALSE(rows[0][8].toBool());
}

TEST(MdbRecordsTest, NorthwindCurrencyIsExactAndCountsMatch) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    const auto details = rowsOf(*c, "Order Details");
    ASSERT_EQ(details.size(), 2155u);
    EXPECT_EQ(details[1][2].toCurrency().scaled, 98000); // 9.8000 exactly
    const std::vector<std::pair<std::string, std::size_t>> counts{
        {"Orders", 830},  {"Products", 77},  {"Customers", 91}, {"Suppliers", 29},
        {"Employees", 9}, {"Categories", 8}, {"Shippers", 3},   {"Umsätze", 830}};
    for (const auto& [table, n] : counts)
        EXPECT_EQ(rowsOf(*c, table).size(), n) << table;
}

TEST(MdbRecordsTest, NullIsNotEmptyText) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    MdbTable customers(c->file(), "Customers");
    std::size_t region = 0;
    for (std::size_t i = 0; i < customers.columns().size(); ++i)
        if (customers.columns()[i].name == "Region") region = i;
    int nulls = 0;
    int empties = 0;
    customers.readRows([&](const std::vector<Variant>& row) {
        if (row[region].isNull())
            ++nulls;
        else if (row[region].toString().empty())
            ++empties;
        return true;
    });
    EXPECT_GT(nulls, 0);
    EXPECT_EQ(empties, 0);
}

TEST(MdbRecordsTest, BigIntValuesThatLibmdbCannotExport) {
    QV_REQUIRE_ACCESS_FIXTURE("bigint.accdb");
    auto c = MdbCatalogue::open(fixture("bigint.accdb"), {});
    MdbTable table(c->file(), "Table");
    std::size_t big = table.columns().size();
    for (std::size_t i = 0; i < table.columns().size(); ++i)
        if (table.columns()[i].type.code == mdbtype::BigInt) big = i;
    ASSERT_LT(big, table.columns().size());
    EXPECT_EQ(table.columns()[big].type.mapped.adoType, ado::BigInt);
    int values = 0;
    table.readRows([&](const std::vector<Variant>& row) {
        if (!row[big].isNull()) {
            EXPECT_EQ(row[big].type(), VarType::LongLong);
            ++values;
        }
        return true;
    });
    EXPECT_GT(values, 0);
}

TEST(MdbRecordsTest, DecimalColumnsKeepTheirScale) {
    QV_REQUIRE_ACCESS_FIXTURE("parameters.accdb");
    auto c = MdbCatalogue::open(fixture("parameters.accdb"), {});
    bool found = false;
    for (const auto& info : c->tables()) {
        if (info.attributes & (dao::SystemObject | dao::HiddenObject)) continue;
        MdbTable t(c->file(), info.name);
        for (std::size_t i = 0; i < t.columns().size(); ++i) {
            if (t.columns()[i].type.code != 0x10) continue;
            found = true;
            EXPECT_EQ(t.columns()[i].type.declared,
                      fmt::format("DECIMAL({},{})", t.columns()[i].precision, t.columns()[i].scale));
            t.readRows([&](const std::vector<Variant>& row) {
                if (!row[i].isNull()) {
                    EXPECT_EQ(row[i].type(), VarType::Decimal);
                }
                return true;
            });
        }
    }
    EXPECT_TRUE(found);
}

TEST(MdbRecordsTest, ComplexColumnsShowAPlaceholder) {
    QV_REQUIRE_ACCESS_FIXTURE("complexDataTestV2010.accdb");
    auto c = MdbCatalogue::open(fixture("complexDataTestV2010.accdb"), {});
    MdbTable t(c->file(), "Table1");
    std::size_t attach = 0;
    for (std::size_t i = 0; i < t.columns().size(); ++i)
        if (t.columns()[i].name == "attach-data") attach = i;
    const auto rows = rowsOf(*c, "Table1");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1][attach].toString(), "(attachment)");
}

TEST(MdbRecordsetsTest, TableRecordsetHasTheEngineTypesAndValues) {
    QV_REQUIRE_ACCESS_FIXTURE("testV2010.accdb");
    auto c = MdbCatalogue::open(fixture("testV2010.accdb"), {});
    auto rs = MdbRecordsets::table(*c, "table1"); // names are found case-insensitively
    ASSERT_EQ(rs->recordCount(), 2);
    ASSERT_EQ(rs->fieldCount(), 9);
    EXPECT_EQ(rs->field(0L)->type(), ado::VarWChar);
    EXPECT_EQ(rs->field(0L)->definedSize(), 50);
    EXPECT_EQ(rs->field("G")->type(), ado::DBTimeStamp);
    EXPECT_EQ(rs->field("H")->type(), ado::Currency);
    EXPECT_EQ(rs->field("I")->type(), ado::Boolean);
    EXPECT_EQ(rs->valueAt(1, 0).toString(), "abcdefg");
    EXPECT_EQ(rs->valueAt(1, 7).toCurrency().scaled, 35000);
    EXPECT_TRUE(rs->valueAt(1, 8).toBool());
    EXPECT_EQ(OleDateTime::toIsoText(rs->valueAt(1, 6).toDouble()), "1974-09-21");
}

TEST(MdbRecordsetsTest, OldAndFarDatesSurviveTheCopy) {
    QV_REQUIRE_ACCESS_FIXTURE("DateTestDatabase.mdb");
    auto c = MdbCatalogue::open(fixture("DateTestDatabase.mdb"), {});
    auto rs = MdbRecordsets::table(*c, "DateTest");
    ASSERT_EQ(rs->recordCount(), 6);
    EXPECT_EQ(rs->valueAt(1, 1).type(), VarType::Date);
    EXPECT_EQ(OleDateTime::toIsoText(rs->valueAt(1, 1).toDouble()), "9999-01-01");
    EXPECT_EQ(OleDateTime::toIsoText(rs->valueAt(2, 1).toDouble()), "1898-01-01");
    EXPECT_EQ(OleDateTime::toIsoText(rs->valueAt(3, 1).toDouble()), "0632-01-01");
}

TEST(MdbRecordsetsTest, LinkedTableRowsComeFromTheTarget) {
    QV_REQUIRE_ACCESS_FIXTURE("linkerTestV2007.accdb");
    auto linker = MdbCatalogue::open(fixture("linkerTestV2007.accdb"), {});
    auto linkee = MdbCatalogue::open(fixture("linkeeTest.accdb"), {});
    auto viaLink = MdbRecordsets::table(*linker, "Table2");
    auto direct = MdbRecordsets::table(*linkee, "Table1");
    ASSERT_EQ(viaLink->recordCount(), direct->recordCount());
    ASSERT_EQ(viaLink->fieldCount(), direct->fieldCount());
    for (long long r = 0; r < direct->recordCount(); ++r)
        for (long f = 0; f < direct->fieldCount(); ++f)
            EXPECT_EQ(viaLink->valueAt(r, f).toString(), direct->valueAt(r, f).toString());
}

TEST(MdbRecordsetsTest, NorthwindOrderDetailsAsARecordset) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    auto rs = MdbRecordsets::table(*c, "Order Details");
    EXPECT_EQ(rs->recordCount(), 2155);
    EXPECT_EQ(rs->valueAt(1, 2).toCurrency().scaled, 98000);
}
