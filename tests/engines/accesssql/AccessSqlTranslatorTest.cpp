#include "engines/accesssql/AccessSqlTranslator.h"
#include "platform/NameQuote.h"
#include "platform/NumberedError.h"
#include "platform/engine/DaoConstants.h"

#include <gtest/gtest.h>

#include <cmath>

using qv::accesssql::AccessSqlTranslator;
using qv::accesssql::StatementKind;
using qv::accesssql::TranslateOptions;

namespace {

std::string sql(const std::string& access) {
    return AccessSqlTranslator::translate(access).sql;
}

int refusal(const std::string& access) {
    try {
        AccessSqlTranslator::translate(access);
    } catch (const qv::NumberedError& e) {
        EXPECT_FALSE(e.description().empty());
        return e.number();
    }
    return 0;
}

} // namespace

TEST(AccessSqlTranslatorTest, DoubledClosingDelimiterInANameStandsForOne) {
    // A crafted name, quoted by the one routine for names, stays one name: before, its "]"
    // closed the brackets and the rest read another table.
    const std::string hostile = "Pub] UNION SELECT * FROM [Secret";
    EXPECT_EQ(sql("SELECT * FROM " + qv::NameQuote::bracketed(hostile)),
              "SELECT * FROM \"Pub] UNION SELECT * FROM [Secret\"");
    // A parameter declared with an escaped name binds where the same name is used.
    const auto t = AccessSqlTranslator::translate("PARAMETERS [a]]b] Long; SELECT * FROM t WHERE x = [a]]b]");
    ASSERT_EQ(t.parameters.size(), 1u);
    EXPECT_EQ(t.parameters[0].name, "a]b");
    EXPECT_EQ(t.sql, "SELECT * FROM t WHERE x = :p1");
}

TEST(AccessSqlTranslatorTest, NulCharacterIsRefusedNotTreatedAsTheEnd) {
    using namespace std::string_literals;
    // Everything after a NUL would be lost to SQLite: the WHERE clause of this DELETE, first.
    EXPECT_EQ(refusal("DELETE FROM T\0 WHERE id = 3"s), qv::err::CharactersAfterEnd);
    EXPECT_EQ(refusal("SELECT 'a\0b' FROM t"s), qv::err::CharactersAfterEnd);
    EXPECT_EQ(refusal("SELECT [a\0b] FROM t"s), qv::err::CharactersAfterEnd);
    EXPECT_THROW(AccessSqlTranslator::translateExpression("=1\0+1"s), qv::NumberedError);
}

TEST(AccessSqlTranslatorTest, TopBecomesLimitAfterOrderBy) {
    EXPECT_EQ(
        sql("SELECT TOP 25 PERCENT a FROM t ORDER BY a"),
        "SELECT a FROM t ORDER BY a LIMIT (SELECT -CAST(-(COUNT(*) * 25 / 100.0) AS INTEGER) FROM (SELECT a "
        "FROM t))");
}

TEST(AccessSqlTranslatorTest, YesNoComparisonsBecomeTruthTests) {
    EXPECT_EQ(
        sql("SELECT * FROM t WHERE Flag = True AND Other <> False AND [X] = Yes AND True = Y AND Z = No"),
        "SELECT * FROM t WHERE Flag <> 0 AND Other <> 0 AND \"X\" <> 0 AND Y <> 0 AND Z = 0");
    // ...with it, a yes/no column compared with -1 or 1 is a truth test too.
    TranslateOptions options;
    options.isYesNoColumn = [](std::string_view, std::string_view column) { return column == "Flag"; };
    EXPECT_EQ(
        AccessSqlTranslator::translate("SELECT * FROM t WHERE t.Flag = -1 OR Flag = 1 OR Qty = -1", options)
            .sql,
        "SELECT * FROM t WHERE t.Flag <> 0 OR Flag <> 0 OR Qty = -1");
    EXPECT_EQ(AccessSqlTranslator::translate("SELECT * FROM t WHERE 0 = [Flag] OR Flag <> -1", options).sql,
              "SELECT * FROM t WHERE \"Flag\" = 0 OR Flag = 0");
}

TEST(AccessSqlTranslatorTest, ParametersClauseIsParsedAndBoundByName) {
    const auto t = AccessSqlTranslator::translate(
        "PARAMETERS [Start Date] DateTime, [Customer's name] Text (50), Cnt Long;\r\n"
        "SELECT TOP 10 * FROM Orders WHERE OrderDate >= [Start Date] AND Name = [customer's NAME] AND n < "
        "Cnt "
        "AND o.Cnt > 0 ORDER BY OrderDate");
    ASSERT_EQ(t.parameters.size(), 3u);
    EXPECT_EQ(t.parameters[0].name, "Start Date");
    EXPECT_EQ(t.parameters[0].typeName, "DateTime");
    EXPECT_EQ(t.parameters[0].daoType, qv::dao::Date);
    EXPECT_EQ(t.parameters[0].bindName, ":p1");
    EXPECT_EQ(t.parameters[1].name, "Customer's name");
    EXPECT_EQ(t.parameters[1].daoType, qv::dao::Text);
    EXPECT_EQ(t.parameters[1].size, 50);
    EXPECT_EQ(t.parameters[2].daoType, qv::dao::Long);
    // Names match without regard to case; a qualified column of the same name is no parameter.
    EXPECT_EQ(t.sql, "SELECT * FROM Orders WHERE OrderDate >= :p1 AND Name = :p2 AND n < :p3 AND o.Cnt > 0 "
                     "ORDER BY OrderDate LIMIT 10");
    EXPECT_EQ(t.kind, StatementKind::Select);

    const auto path =
        AccessSqlTranslator::translate("PARAMETERS [Forms]![frmMain]![txtFrom] DateTime; SELECT * FROM t "
                                       "WHERE d > [Forms]![frmMain]![txtFrom] + 1");
    ASSERT_EQ(path.parameters.size(), 1u);
    EXPECT_EQ(path.parameters[0].name, "Forms!frmMain!txtFrom");
    EXPECT_EQ(path.sql, "SELECT * FROM t WHERE d > qv_dateplus(:p1, 1)");
}

TEST(AccessSqlTranslatorTest, WriteBackStatementsOfTheFormPassThrough) {
    const auto upd = AccessSqlTranslator::translate(
        "Update [Order Details] SET [Unit Price] = 12.5, [Note] = 'it''s', [When] = #03/05/2011 14:07# "
        "WHERE [OrderID] = 10248 AND [ProductID] = 11");
    EXPECT_EQ(upd.sql, "Update \"Order Details\" SET \"Unit Price\" = 12.5, \"Note\" = 'it''s', \"When\" = "
                       "'2011-03-05 14:07:00' WHERE \"OrderID\" = 10248 AND \"ProductID\" = 11");
    EXPECT_EQ(upd.kind, StatementKind::Update);
    const auto ins = AccessSqlTranslator::translate("Insert Into [dbo].[T] ([Name], [Flag], [Id]) Values "
                                                    "('x', 1, '{6F9619FF-8B86-D011-B42D-00C04FC964FF}')");
    EXPECT_EQ(ins.sql, "Insert Into \"dbo\".\"T\" (\"Name\", \"Flag\", \"Id\") Values ('x', 1, "
                       "'{6F9619FF-8B86-D011-B42D-00C04FC964FF}')");
    EXPECT_EQ(ins.kind, StatementKind::Insert);
}

TEST(AccessSqlTranslatorTest, DeleteAcceptsTheStarForms) {
    EXPECT_EQ(AccessSqlTranslator::translate("DELETE FROM T").kind, StatementKind::Delete);
}

TEST(AccessSqlTranslatorTest, SelectIntoBecomesCreateTableAs) {
    const auto t = AccessSqlTranslator::translate("SELECT a, b INTO [New Table] FROM t WHERE a > 1");
    EXPECT_EQ(t.sql, "CREATE TABLE \"New Table\" AS SELECT a, b FROM t WHERE a > 1");
    EXPECT_EQ(t.kind, StatementKind::MakeTable);
    EXPECT_FALSE(t.returnsRows());
}

TEST(AccessSqlTranslatorTest, ClauseWordsAndFunctionsTranslate) {
    EXPECT_EQ(
        sql("SELECT * FROM t WHERE a IS NOT NULL AND b IS NULL AND c BETWEEN 1 AND 2 AND d NOT IN (1, 2)"),
        "SELECT * FROM t WHERE a IS NOT NULL AND b IS NULL AND c BETWEEN 1 AND 2 AND d NOT IN (1, 2)");
}

TEST(AccessSqlTranslatorTest, DataDefinitionPassesWithAutoNumberColumns) {
    const auto t = AccessSqlTranslator::translate("CREATE TABLE [People] ([ID] COUNTER PRIMARY KEY, [Name] "
                                                  "TEXT(50) NOT NULL, [Born] DATETIME, [Ok] YESNO)");
    EXPECT_EQ(t.sql,
              "CREATE TABLE \"People\" (\"ID\" INTEGER PRIMARY KEY, \"Name\" TEXT(50) NOT NULL, \"Born\" "
              "DATETIME, \"Ok\" YESNO)");
    EXPECT_EQ(t.kind, StatementKind::DataDefinition);
}

TEST(AccessSqlTranslatorTest, TextColumnTypesAreWrittenSoDigitsStayText) {
    EXPECT_EQ(sql("CREATE TABLE t (m MEMO, s String(10), h Hyperlink NOT NULL, n note, t TEXT(5))"),
              "CREATE TABLE t (m LONGTEXT, s VARCHAR(10), h HYPERLINK TEXT NOT NULL, n LONGTEXT, t TEXT(5))");
    EXPECT_EQ(sql("ALTER TABLE t ADD COLUMN [Memo] MEMO"), "ALTER TABLE t ADD COLUMN \"Memo\" LONGTEXT");
    EXPECT_EQ(sql("ALTER TABLE t ADD Note STRING"), "ALTER TABLE t ADD Note VARCHAR");
    // Names spelled like type words are names: of a table, a column, a constraint, an index.
    EXPECT_EQ(sql("CREATE TABLE Memo (String TEXT, CONSTRAINT Note UNIQUE (String))"),
              "CREATE TABLE Memo (String TEXT, CONSTRAINT Note UNIQUE (String))");
    EXPECT_EQ(sql("CREATE INDEX Memo ON t (Note, String DESC)"),
              "CREATE INDEX Memo ON t (Note, String DESC)");
    // Outside definitions the words are what they always were.
    EXPECT_EQ(sql("SELECT Memo, Note FROM t WHERE String = 1"), "SELECT Memo, Note FROM t WHERE String = 1");
}

TEST(AccessSqlTranslatorTest, WhatCannotBeTranslatedIsRefusedWithANumber) {
    EXPECT_EQ(AccessSqlTranslator::translate("SELECT 1;;").sql, "SELECT 1");
}

TEST(AccessSqlTranslatorTest, DateLiteralForBindingIsTheStoredForm) {
    EXPECT_EQ(AccessSqlTranslator::dateLiteral(40607.58888888889), "'2011-03-05 14:08:00'");
    EXPECT_EQ(AccessSqlTranslator::dateLiteral(0), "'1899-12-30 00:00:00'");
    // What cannot be a four-digit-year date is refused, never written as malformed text.
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, 2958466.0, -657435.0, 1e300})
        EXPECT_THROW(AccessSqlTranslator::dateLiteral(bad), qv::NumberedError) << bad;
    EXPECT_EQ(AccessSqlTranslator::dateLiteral(2958465.5), "'9999-12-31 12:00:00'");
    EXPECT_EQ(AccessSqlTranslator::dateLiteral(-657434.0), "'0100-01-01 00:00:00'");
}

TEST(AccessSqlTranslatorTest, ParameterReferencesAreNamesNotText) {
    const auto t = AccessSqlTranslator::translate(
        "PARAMETERS [Land] Text; SELECT '[Land]', \"Land\", [Land], [LAND] FROM t WHERE x = [Land] OR y = ?");
    EXPECT_EQ(t.sql, "SELECT '[Land]', 'Land', :p1, :p1 FROM t WHERE x = :p1 OR y = ?");
    ASSERT_EQ(t.parameters.size(), 1u);
}

TEST(AccessSqlTranslatorTest, ColumnTypesFromTheSchemaDecideTextAndDateArithmetic) {
    TranslateOptions options;
    options.columnType = [](std::string_view, std::string_view column) {
        if (column == "First" || column == "Last") return qv::accesssql::ColumnType::Text;
        if (column == "Born") return qv::accesssql::ColumnType::Date;
        if (column == "Active") return qv::accesssql::ColumnType::YesNo;
        return qv::accesssql::ColumnType::Unknown;
    };
    EXPECT_EQ(
        AccessSqlTranslator::translate("SELECT First + Last, Born + 1, Born - Born, Qty + 1 FROM p", options)
            .sql,
        "SELECT First || Last, qv_dateplus(Born, 1), qv_dateminus(Born, Born), Qty + 1 FROM p");
    EXPECT_EQ(AccessSqlTranslator::translate("SELECT * FROM p WHERE p.Active = -1 AND Qty = -1", options).sql,
              "SELECT * FROM p WHERE p.Active <> 0 AND Qty = -1");
}

TEST(AccessSqlTranslatorTest, StandaloneExpressionsOfFieldProperties) {
    EXPECT_EQ(AccessSqlTranslator::translateExpression("=Now()"), "Now()");
    EXPECT_EQ(AccessSqlTranslator::translateExpression(" \"abc\" "), "'abc'");
    EXPECT_EQ(AccessSqlTranslator::translateExpression("Left([Code], 2) & '-' & Year(Date())"),
              "qv_concat(\"Left\"(\"Code\", 2), '-', Year(Date()))");
    EXPECT_EQ(AccessSqlTranslator::translateExpression("#1/1/2000#"), "'2000-01-01 00:00:00'");
    for (std::string_view bad : {"", "=", "1, 2", "1 FROM t", "x; DROP TABLE t", "'open"}) {
        try {
            AccessSqlTranslator::translateExpression(bad);
            ADD_FAILURE() << bad;
        } catch (const qv::NumberedError& e) {
            EXPECT_EQ(e.number(), qv::err::SyntaxInExpression) << bad;
        }
    }
}

TEST(AccessSqlTranslatorTest, NestingTooDeepIsRefusedNotRecursedInto) {
    EXPECT_EQ(refusal("SELECT " + std::string(5000, '(') + "1" + std::string(5000, ')')),
              qv::err::TooComplex);
    EXPECT_EQ(refusal("SELECT " + std::string(5000, '-') + "1"), qv::err::TooComplex);
    EXPECT_EQ(sql("SELECT " + std::string(50, '(') + "1" + std::string(50, ')')),
              "SELECT " + std::string(50, '(') + "1" + std::string(50, ')'));
}
