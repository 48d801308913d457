// An Access file through the catalogue model: read-only, every table with its attributes,
// lookups by name case-insensitive, an unreachable link listed rather than failing the list,
// and the object invalid after close.
#include "tests/engines/mdb/MdbTestSupport.h"

#include "engines/mdb/MdbDaoDatabase.h"
#include "platform/engine/DaoConstants.h"

using namespace qv;
using namespace qv::engine;
using namespace qv::mdbtest;

TEST(MdbDaoDatabaseTest, NorthwindThroughTheCatalogueModel) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto db = MdbDaoDatabase::open(fixture("nwind.mdb"), "");
    EXPECT_FALSE(db->updatable());
    auto details = db->tableDef("order details");
    ASSERT_TRUE(details);
    EXPECT_EQ(details->name(), "Order Details");
    EXPECT_EQ(db->tableDef("Nothing"), nullptr);
    int system = 0;
    for (const auto& t : db->tableDefs())
        if (t->attributes() & dao::SystemObject) ++system;
    EXPECT_GT(system, 3);
    EXPECT_EQ(db->relations().size(), 7u);
    ASSERT_TRUE(db->queryDef("current product list"));
    EXPECT_EQ(db->queryDef("Current Product List")->type(), dao::QuerySelect);
    db->close();
    EXPECT_EQ(errorNumber([&] { db->tableDefs(); }), err::ObjectInvalid);
}

TEST(MdbDaoDatabaseTest, UnreachableLinkIsListedAndExplainedWhenRead) {
    QV_REQUIRE_ACCESS_FIXTURE("linkerTestV2007.accdb");
    TempDir dir;
    writeAll(dir.file("linker.accdb"), readAll(fixture("linkerTestV2007.accdb")));
    auto db = MdbDaoDatabase::open(dir.file("linker.accdb"), "");
    auto linked = db->tableDef("Table2");
    ASSERT_TRUE(linked);
    EXPECT_EQ(linked->attributes() & dao::AttachedTable, dao::AttachedTable);
    EXPECT_TRUE(linked->fields().empty());
    EXPECT_EQ(errorNumber([&] { db->catalogue().tableDef("Table2"); }), err::DatabaseFileNotFound);
}

TEST(MdbDaoDatabaseTest, PasswordIsCheckedOnOpen) {
    QV_REQUIRE_ACCESS_FIXTURE("V2003_with-password.mdb");
    EXPECT_EQ(errorNumber([] { MdbDaoDatabase::open(fixture("V2003_with-password.mdb"), "wrong"); }),
              err::DaoPasswordNotValid);
    EXPECT_TRUE(MdbDaoDatabase::open(fixture("V2003_with-password.mdb"), "password")->tableDef("Table1"));
}
