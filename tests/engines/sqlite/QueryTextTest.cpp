// The PARAMETERS clause of saved queries and the numbering of parameter references.
#include "engines/sqlite/QueryText.h"

#include "platform/engine/DaoConstants.h"

#include <gtest/gtest.h>

using namespace qv;
using qv::engine::QueryText;

TEST(QueryTextTest, ParametersClauseGivesNamesTypesAndTheStatement) {
    auto q = QueryText::parse("  parameters [Start Date] DateTime, Amount Currency, [Name;x] Text (50);\r\n"
                              "SELECT * FROM T WHERE D >= [Start Date]");
    ASSERT_EQ(q.parameters().size(), 3u);
    EXPECT_EQ(q.parameters()[0].name, "Start Date");
    EXPECT_EQ(q.parameters()[0].daoType, dao::Date);
    EXPECT_EQ(q.parameters()[1].name, "Amount");
    EXPECT_EQ(q.parameters()[1].daoType, dao::Currency);
    EXPECT_EQ(q.parameters()[2].name, "Name;x");
    EXPECT_EQ(q.parameters()[2].daoType, dao::Text);
    EXPECT_EQ(q.body(), "SELECT * FROM T WHERE D >= [Start Date]");
    EXPECT_EQ(q.queryType(), dao::QuerySelect);
}

TEST(QueryTextTest, NumberedBodyLeavesQuotesQualifiedNamesAndOtherWordsAlone) {
    auto q = QueryText::parse(
        "PARAMETERS Who Long, [The Day] Date; "
        "SELECT Who.X, T.Who, Who FROM T WHERE T.D = [the day] AND N = 'Who' AND M = \"[The Day]\" "
        "AND Whom = who");
    EXPECT_EQ(
        q.numberedBody(),
        "SELECT Who.X, T.Who, ?1 FROM T WHERE T.D = ?2 AND N = 'Who' AND M = \"[The Day]\" AND Whom = ?1");
}

TEST(QueryTextTest, QueryTypesFromTheFirstWord) {
    EXPECT_EQ(QueryText::parse("TRANSFORM Sum(X) SELECT A FROM T GROUP BY A PIVOT B").queryType(),
              dao::QueryCrosstab);
    EXPECT_EQ(QueryText::parse("delete from T").queryType(), dao::QueryDelete);
    EXPECT_EQ(QueryText::parse("UPDATE T SET A = 1").queryType(), dao::QueryUpdate);
    EXPECT_EQ(QueryText::parse("INSERT INTO T VALUES (1)").queryType(), dao::QueryAppend);
    EXPECT_EQ(QueryText::parse("SELECT A INTO New FROM T").queryType(), dao::QueryMakeTable);
    EXPECT_EQ(QueryText::parse("SELECT A FROM T WHERE B = 'x INTO y'").queryType(), dao::QuerySelect);
    EXPECT_EQ(QueryText::parse("SELECT A FROM T UNION SELECT B FROM U").queryType(), dao::QuerySetOperation);
    EXPECT_EQ(QueryText::parse("CREATE TABLE X (A INT)").queryType(), dao::QueryDDL);
    EXPECT_EQ(QueryText::parse("").queryType(), dao::QuerySelect);
}

TEST(QueryTextTest, UnterminatedClauseDoesNotRunAway) {
    auto q = QueryText::parse("PARAMETERS [Open Name Text");
    EXPECT_EQ(q.parameters().size(), 1u);
    EXPECT_EQ(q.body(), "");
}

TEST(QueryTextTest, ClauseEndingInACommaOrBlanksEndsCleanly) {
    // Before, the scanner stepped past the end of the text and threw std::out_of_range.
    for (const char* text :
         {"PARAMETERS a Text, ", "PARAMETERS a Text,", "PARAMETERS a Text,\t\r\n", "PARAMETERS ",
          "PARAMETERS", "PARAMETERS ,", "PARAMETERS [", "PARAMETERS a (", "PARAMETERS a Text(,"}) {
        QueryText q;
        ASSERT_NO_THROW(q = QueryText::parse(text)) << text;
        EXPECT_EQ(q.body(), "") << text;
        EXPECT_NO_THROW(q.numberedBody()) << text;
    }
    EXPECT_EQ(QueryText::parse("PARAMETERS a Text, ").parameters().size(), 1u);
}

TEST(QueryTextTest, EscapedBracketInANameIsPartOfIt) {
    auto q = QueryText::parse(
        "PARAMETERS [a]]b] Long, [c] Text; SELECT [a]]b], [T]]x].[a]]b] FROM [T]]x] WHERE [c] = 1");
    ASSERT_EQ(q.parameters().size(), 2u);
    EXPECT_EQ(q.parameters()[0].name, "a]b");
    EXPECT_EQ(q.parameters()[0].daoType, dao::Long);
    EXPECT_EQ(q.parameters()[1].name, "c");
    EXPECT_EQ(q.numberedBody(), "SELECT ?1, [T]]x].[a]]b] FROM [T]]x] WHERE ?2 = 1");
    EXPECT_EQ(QueryText::parse("SELECT [x]] INTO y] FROM T").queryType(), dao::QuerySelect);
}
