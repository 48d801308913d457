// Which tables and saved queries the data source offers, and the parameters it records.
#include "DSTestSupport.h"

#include "platform/engine/DaoConstants.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

std::vector<std::string> names(const NameCollection& c) {
    return {c.begin(), c.end()};
}

void addQuery(FakeFile& f, std::string name, int type,
              std::vector<std::tuple<std::string, int, int>> params = {}) {
    auto q = std::make_shared<FakeQueryDef>();
    q->n = std::move(name);
    q->t = type;
    q->s = "SELECT 1;";
    for (auto& [n, t, d] : params) {
        auto p = std::make_shared<FakeParameter>();
        p->n = n;
        p->t = t;
        p->d = d;
        q->p.push_back(p);
    }
    f.queries.push_back(q);
}

TEST(CatalogueTest, TablesHideSystemObjectsAndTheXPrefixOnly) {
    DSWorld w;
    auto& t = w.file.tables;
    t.push_back(std::make_shared<FakeTableDef>("MSysObjects", static_cast<long>(0x80000002L)));
    t.push_back(std::make_shared<FakeTableDef>("MSysACEs", 2));
    t.push_back(std::make_shared<FakeTableDef>("Customers"));
    t.push_back(std::make_shared<FakeTableDef>("x_Audit"));
    t.push_back(std::make_shared<FakeTableDef>("X_Listed"));
    t.push_back(std::make_shared<FakeTableDef>("Hidden", dao::HiddenObject));
    t.push_back(std::make_shared<FakeTableDef>("Linked", dao::AttachedTable));
    // A system flag as a sign-extended 32-bit number still marks a system object.
    t.push_back(std::make_shared<FakeTableDef>("Sys32", -2147483646L));
    auto ds = w.make();
    ASSERT_TRUE(ds->ConnectDAO());
    ds->DetermineDbObjects(true);
    EXPECT_EQ(names(*ds->TableNames()),
              (std::vector<std::string>{"Customers", "X_Listed", "Hidden", "Linked"}));
    EXPECT_EQ(ds->TableNames()->Item("customers"), "Customers");
}

TEST(CatalogueTest, QueriesSkipTemporaryAndPassThroughOnes) {
    DSWorld w;
    addQuery(w.file, "~sq_cForm", dao::QuerySelect);
    addQuery(w.file, "Open orders", dao::QuerySelect);
    addQuery(w.file, "Proc", dao::QueryProcedure);
    addQuery(w.file, "Bulk", dao::QuerySPTBulk);
    addQuery(w.file, "PassThrough", dao::QuerySQLPassThrough);
    addQuery(w.file, "Archive", dao::QueryAppend);
    addQuery(w.file, "All names", dao::QuerySetOperation);
    addQuery(w.file, "x_Helper", dao::QueryUpdate);
    addQuery(w.file, "Odd type", 999);
    auto ds = w.make();
    ASSERT_TRUE(ds->ConnectDAO());
    ds->DetermineDbObjects(false);
    const std::vector<std::string> expected{"Open orders", "Archive", "All names", "Odd type"};
    EXPECT_EQ(names(*ds->QueryNames()), expected);
    ASSERT_EQ(ds->Queries()->Count(), expected.size());
    EXPECT_EQ(ds->Queries()->Item(1).Name(), "Open orders");
    EXPECT_EQ(ds->Queries()->Item(1).SQL(), "SELECT 1;");
    EXPECT_EQ(ds->ViewNames(), nullptr);
}

TEST(CatalogueTest, ParametersAreMappedAndAQueryWithoutAnyHasAnEmptyList) {
    DSWorld w;
    addQuery(w.file, "By date", dao::QuerySelect,
             {{"[From]", dao::Date, dao::ParamInput},
              {"Amount", dao::Currency, dao::ParamInputOutput},
              {"Ret", dao::Long, dao::ParamReturnValue}});
    addQuery(w.file, "Plain", dao::QuerySelect);
    auto ds = w.make();
    ASSERT_TRUE(ds->ConnectDAO());
    ds->DetermineDbObjects(false);
    const auto& p = ds->Queries()->Item("By date").Parameters();
    ASSERT_EQ(p.Count(), 3u);
    EXPECT_EQ(p.Item("[From]").Type(), 7);
    EXPECT_EQ(p.Item("[From]").Direction(), 1);
    EXPECT_EQ(p.Item("Amount").Type(), 6);
    EXPECT_EQ(p.Item("Amount").Direction(), 3);
    EXPECT_EQ(p.Item("Ret").Direction(), 0);
    EXPECT_TRUE(ds->Queries()->Item("Plain").Parameters().empty());
}

TEST(CatalogueTest, ReadingTwiceKeepsOneRecordPerObject) {
    DSWorld w;
    addQuery(w.file, "Q", dao::QuerySelect);
    w.file.tables.push_back(std::make_shared<FakeTableDef>("T"));
    auto ds = w.make();
    ASSERT_TRUE(ds->ConnectDAO());
    for (int i = 0; i < 2; ++i) {
        ds->DetermineDbObjects(true);
        ds->DetermineDbObjects(false);
    }
    EXPECT_EQ(ds->TableNames()->Count(), 1u);
    EXPECT_EQ(ds->QueryNames()->Count(), 1u);
    EXPECT_EQ(ds->Queries()->Count(), 1u);
    EXPECT_EQ(ds->ViewNames(), nullptr);
}

TEST(CatalogueTest, FailuresAreWrappedAsForeignErrors) {
    DSWorld w;
    auto ds = w.make();
    // No catalogue connection at all.
    try {
        ds->DetermineDbObjects(true);
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ForeignError);
        EXPECT_NE(e.description().find("(Error Number: 91)"), std::string::npos) << e.description();
    }
    // Two queries whose names differ only in case collide in the keyed list.
    addQuery(w.file, "Sales", dao::QuerySelect);
    addQuery(w.file, "SALES", dao::QuerySelect);
    ASSERT_TRUE(ds->ConnectDAO());
    try {
        ds->DetermineDbObjects(false);
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ForeignError);
        EXPECT_NE(e.description().find("(Error Number: 457)"), std::string::npos);
    }
    EXPECT_EQ(ds->QueryNames()->Count(), 1u); // the part read before the failure stays
}

} // namespace
} // namespace qv::test
