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

TEST(AccessSqlTranslatorTest, BracketedNamesBecomeQuotedIdentifiersWhateverTheyHold) {
    EXPECT_EQ(sql("SELECT [First Name], [Order#], [it's], [say \"hi\"] FROM [My Table]"),
              "SELECT \"First Name\", \"Order#\", \"it's\", \"say \"\"hi\"\"\" FROM \"My Table\"");
    EXPECT_EQ(sql("SELECT `a b`.[c d] FROM `a b`"), "SELECT \"a b\".\"c d\" FROM \"a b\"");
    // Text inside a bracketed name is never translated, not even an operator or a keyword.
    EXPECT_EQ(sql("SELECT [a & b], [TOP 5], [x*] FROM t"), "SELECT \"a & b\", \"TOP 5\", \"x*\" FROM t");
}

TEST(AccessSqlTranslatorTest, DoubledClosingDelimiterInANameStandsForOne) {
    // A crafted name, quoted by the one routine for names, stays one name: before, its "]"
    // closed the brackets and the rest read another table.
    const std::string hostile = "Pub] UNION SELECT * FROM [Secret";
    EXPECT_EQ(sql("SELECT * FROM " + qv::NameQuote::bracketed(hostile)),
              "SELECT * FROM \"Pub] UNION SELECT * FROM [Secret\"");
    EXPECT_EQ(sql("SELECT [a]]b].[c\"d]]] FROM [a]]b]"), "SELECT \"a]b\".\"c\"\"d]\" FROM \"a]b\"");
    EXPECT_EQ(sql("SELECT `x``y` FROM t"), "SELECT \"x`y\" FROM t");
    // A parameter declared with an escaped name binds where the same name is used.
    const auto t = AccessSqlTranslator::translate("PARAMETERS [a]]b] Long; SELECT * FROM t WHERE x = [a]]b]");
    ASSERT_EQ(t.parameters.size(), 1u);
    EXPECT_EQ(t.parameters[0].name, "a]b");
    EXPECT_EQ(t.sql, "SELECT * FROM t WHERE x = :p1");
    EXPECT_EQ(refusal("SELECT [a]]] FROM [b"), 3126);
}

TEST(AccessSqlTranslatorTest, NulCharacterIsRefusedNotTreatedAsTheEnd) {
    using namespace std::string_literals;
    // Everything after a NUL would be lost to SQLite: the WHERE clause of this DELETE, first.
    EXPECT_EQ(refusal("DELETE FROM T\0 WHERE id = 3"s), 3142);
    EXPECT_EQ(refusal("SELECT 'a\0b' FROM t"s), 3142);
    EXPECT_EQ(refusal("SELECT [a\0b] FROM t"s), 3142);
    EXPECT_THROW(AccessSqlTranslator::translateExpression("=1\0+1"s), qv::NumberedError);
}

TEST(AccessSqlTranslatorTest, StringLiteralsKeepTheirContentAndUseSingleQuotes) {
    EXPECT_EQ(sql("SELECT 'a [b] & #1/1/2000# * ?' FROM t"), "SELECT 'a [b] & #1/1/2000# * ?' FROM t");
    EXPECT_EQ(sql("SELECT \"it's\", \"say \"\"hi\"\"\", 'O''Brien' FROM t"),
              "SELECT 'it''s', 'say \"hi\"', 'O''Brien' FROM t");
    EXPECT_EQ(sql("SELECT * FROM t WHERE a = \"--\""), "SELECT * FROM t WHERE a = '--'");
}

TEST(AccessSqlTranslatorTest, DateLiteralsBecomeTheStoredTextForm) {
    // The form the add-in writes, with and without seconds, and ISO dates.
    EXPECT_EQ(sql("SELECT * FROM t WHERE d = #03/05/2011 14:07#"),
              "SELECT * FROM t WHERE d = '2011-03-05 14:07:00'");
    EXPECT_EQ(sql("SELECT * FROM t WHERE d = #03/05/2011 14:07:59#"),
              "SELECT * FROM t WHERE d = '2011-03-05 14:07:59'");
    EXPECT_EQ(sql("SELECT * FROM t WHERE d >= #2011-03-05# AND d < #2011-03-06 00:00:00#"),
              "SELECT * FROM t WHERE d >= '2011-03-05 00:00:00' AND d < '2011-03-06 00:00:00'");
    EXPECT_EQ(sql("SELECT #1/2/99#, #2:30 PM#, #12:00 AM#"),
              "SELECT '1999-01-02 00:00:00', '1899-12-30 14:30:00', '1899-12-30 00:00:00'");
    EXPECT_EQ(refusal("SELECT * FROM t WHERE d = #02/30/2011#"), 3075);
    EXPECT_EQ(refusal("SELECT * FROM t WHERE d = #03/05/2011"), 3075);
}

TEST(AccessSqlTranslatorTest, UnterminatedLiteralsAndBracketsAreRefused) {
    EXPECT_EQ(refusal("SELECT 'abc FROM t"), 3075);
    EXPECT_EQ(refusal("SELECT \"abc FROM t"), 3075);
    EXPECT_EQ(refusal("SELECT [abc FROM t"), 3126);
    EXPECT_EQ(refusal("SELECT (a FROM t"), 3075);
    EXPECT_EQ(refusal("SELECT a) FROM t"), 3075);
}

TEST(AccessSqlTranslatorTest, TopBecomesLimitAfterOrderBy) {
    EXPECT_EQ(sql("SELECT TOP 5 a FROM t ORDER BY a DESC;"), "SELECT a FROM t ORDER BY a DESC LIMIT 5");
    EXPECT_EQ(sql("SELECT DISTINCT TOP 3 a FROM t"), "SELECT DISTINCT a FROM t LIMIT 3");
    // In a subquery the LIMIT stays inside its parentheses.
    EXPECT_EQ(sql("SELECT * FROM t WHERE x IN (SELECT TOP 1 y FROM u ORDER BY y) ORDER BY x"),
              "SELECT * FROM t WHERE x IN (SELECT y FROM u ORDER BY y LIMIT 1) ORDER BY x");
    // An arm of a UNION cannot carry LIMIT in SQLite: it becomes a subquery of its own, and the
    // UNION's ORDER BY stays outside.
    EXPECT_EQ(sql("SELECT TOP 2 a FROM t UNION SELECT b FROM u"),
              "SELECT * FROM (SELECT a FROM t LIMIT 2) UNION SELECT b FROM u");
    EXPECT_EQ(sql("SELECT a FROM t UNION ALL SELECT TOP 2 b FROM u ORDER BY 1"),
              "SELECT a FROM t UNION ALL SELECT * FROM (SELECT b FROM u LIMIT 2) ORDER BY 1");
    EXPECT_EQ(
        sql("SELECT TOP 25 PERCENT a FROM t ORDER BY a"),
        "SELECT a FROM t ORDER BY a LIMIT (SELECT -CAST(-(COUNT(*) * 25 / 100.0) AS INTEGER) FROM (SELECT a "
        "FROM t))");
    EXPECT_EQ(refusal("SELECT TOP a FROM t"), 3141);
    EXPECT_EQ(refusal("SELECT TOP 1.5 a FROM t"), 3141);
    EXPECT_EQ(refusal("SELECT a FROM t WHERE TOP 5"), 3141);
}

TEST(AccessSqlTranslatorTest, AmpersandJoinsTextWithNullsAsEmpty) {
    EXPECT_EQ(sql("SELECT [First] & ' ' & [Last] AS Name FROM p"),
              "SELECT qv_concat(\"First\", ' ', \"Last\") AS Name FROM p");
    // & binds more loosely than +: a & b + c is a & (b + c).
    EXPECT_EQ(sql("SELECT a & b + c FROM t"), "SELECT qv_concat(a, b + c) FROM t");
    // + with a text operand joins text and lets null win, like SQLite's ||.
    EXPECT_EQ(sql("SELECT a + ' ' + b FROM t"), "SELECT a || ' ' || b FROM t");
}

TEST(AccessSqlTranslatorTest, ArithmeticKeepsAccessPrecedenceAndMeaning) {
    EXPECT_EQ(sql("SELECT a Mod b * c, a * b Mod c FROM t"), "SELECT a % (b * c), a * b % c FROM t");
    EXPECT_EQ(sql("SELECT 7 / 2, a / b FROM t"), "SELECT 7.0 / 2, CAST(a AS REAL) / b FROM t");
    EXPECT_EQ(sql("SELECT 7 \\ 2, 2 ^ 3 ^ 2, -2 ^ 2, 2 ^ -1 FROM t"),
              "SELECT qv_intdiv(7, 2), qv_pow(qv_pow(2, 3), 2), -qv_pow(2, 2), qv_pow(2, -1) FROM t");
    EXPECT_EQ(sql("SELECT a - (b - c), (a + b) * c, a - -1, 5--1 FROM t"),
              "SELECT a - (b - c), (a + b) * c, a - -1, 5 - -1 FROM t");
    EXPECT_EQ(sql("SELECT * FROM t WHERE NOT a = 1 OR b <> 2 AND c >= 3"),
              "SELECT * FROM t WHERE NOT a = 1 OR b <> 2 AND c >= 3");
}

TEST(AccessSqlTranslatorTest, DateArithmeticUsesDateFunctions) {
    EXPECT_EQ(sql("SELECT * FROM t WHERE d > Date() - 30"),
              "SELECT * FROM t WHERE d > qv_dateminus(Date(), 30)");
    EXPECT_EQ(sql("SELECT #1/31/2020# + 1, Now() - d FROM t"),
              "SELECT qv_dateplus('2020-01-31 00:00:00', 1), qv_dateminus(Now(), d) FROM t");
}

TEST(AccessSqlTranslatorTest, LikeWildcardsBecomeSqlitePatterns) {
    EXPECT_EQ(sql("SELECT * FROM t WHERE a LIKE 'A*' AND b LIKE '?b*'"),
              "SELECT * FROM t WHERE a LIKE 'A%' AND b LIKE '_b%'");
    // SQLite's own wildcards are literal characters to Access.
    EXPECT_EQ(sql("SELECT * FROM t WHERE a LIKE '50%*' AND b NOT LIKE 'x_[*]'"),
              "SELECT * FROM t WHERE a LIKE '50\\%%' ESCAPE '\\' AND b NOT LIKE 'x\\_*' ESCAPE '\\'");
    // Character classes, digits and patterns that are no literal are matched by qv_like.
    EXPECT_EQ(sql("SELECT * FROM t WHERE a LIKE '[A-C]*' OR b LIKE '#*' OR c LIKE [p] & '*'"),
              "SELECT * FROM t WHERE qv_like(a, '[A-C]*') OR qv_like(b, '#*') OR qv_like(c, qv_concat(\"p\", "
              "'*'))");
    EXPECT_EQ(sql("SELECT * FROM t WHERE a NOT LIKE '[!a]*'"),
              "SELECT * FROM t WHERE NOT qv_like(a, '[!a]*')");
    EXPECT_EQ(sql("SELECT * FROM t WHERE a ALIKE 'A%'"), "SELECT * FROM t WHERE a LIKE 'A%'");
}

TEST(AccessSqlTranslatorTest, YesNoComparisonsBecomeTruthTests) {
    EXPECT_EQ(
        sql("SELECT * FROM t WHERE Flag = True AND Other <> False AND [X] = Yes AND True = Y AND Z = No"),
        "SELECT * FROM t WHERE Flag <> 0 AND Other <> 0 AND \"X\" <> 0 AND Y <> 0 AND Z = 0");
    EXPECT_EQ(sql("SELECT True, False, Off FROM t"), "SELECT 1, 0, 0 FROM t");
    // Without knowledge of the schema -1 is a number like any other...
    EXPECT_EQ(sql("SELECT * FROM t WHERE Flag = -1"), "SELECT * FROM t WHERE Flag = -1");
    // ...with it, a yes/no column compared with -1 or 1 is a truth test too.
    TranslateOptions options;
    options.isYesNoColumn = [](std::string_view, std::string_view column) { return column == "Flag"; };
    EXPECT_EQ(
        AccessSqlTranslator::translate("SELECT * FROM t WHERE t.Flag = -1 OR Flag = 1 OR Qty = -1", options)
            .sql,
        "SELECT * FROM t WHERE t.Flag <> 0 OR Flag <> 0 OR Qty = -1");
    EXPECT_EQ(AccessSqlTranslator::translate("SELECT * FROM t WHERE 0 = [Flag] OR Flag <> -1", options).sql,
              "SELECT * FROM t WHERE \"Flag\" = 0 OR Flag = 0");
    // An assignment is no comparison: the value is written as it is.
    EXPECT_EQ(sql("UPDATE t SET Flag = True, b = No WHERE Flag = False"),
              "UPDATE t SET Flag = 1, b = 0 WHERE Flag = 0");
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

    EXPECT_EQ(refusal("PARAMETERS x Long SELECT * FROM t"), 3137);
    EXPECT_EQ(refusal("PARAMETERS x Gizmo; SELECT * FROM t"), 3137);
    EXPECT_EQ(refusal("PARAMETERS x Long, X Text; SELECT * FROM t"), 3137);
    EXPECT_EQ(refusal("SELECT * FROM t WHERE PARAMETERS x Long"), 3129);
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
    EXPECT_EQ(sql("INSERT INTO T (a) VALUES (NULL)"), "INSERT INTO T (a) VALUES (NULL)");
    EXPECT_EQ(sql("SELECT DISTINCT [Country] FROM [Customers] ORDER BY [Country]"),
              "SELECT DISTINCT \"Country\" FROM \"Customers\" ORDER BY \"Country\"");
}

TEST(AccessSqlTranslatorTest, DeleteAcceptsTheStarForms) {
    EXPECT_EQ(sql("DELETE * FROM [T] WHERE [ID] = 3"), "DELETE FROM \"T\" WHERE \"ID\" = 3");
    EXPECT_EQ(sql("DELETE T.* FROM T WHERE ID = 3"), "DELETE FROM T WHERE ID = 3");
    EXPECT_EQ(sql("DELETE FROM [T] WHERE [A] = 1 AND [B] = 'x'"),
              "DELETE FROM \"T\" WHERE \"A\" = 1 AND \"B\" = 'x'");
    EXPECT_EQ(AccessSqlTranslator::translate("DELETE FROM T").kind, StatementKind::Delete);
    EXPECT_EQ(refusal("DELETE T.* FROM T INNER JOIN U ON T.a = U.a"), 3086);
}

TEST(AccessSqlTranslatorTest, QualifiedAssignmentsLoseTheirQualifier) {
    EXPECT_EQ(sql("UPDATE [T] SET [T].[x] = [T].[x] + 1, T.y = Null"),
              "UPDATE \"T\" SET \"x\" = \"T\".\"x\" + 1, y = NULL");
    EXPECT_EQ(refusal("UPDATE T SET"), 3144);
    EXPECT_EQ(refusal("UPDATE T SET x"), 3144);
    EXPECT_EQ(refusal("UPDATE T INNER JOIN U ON T.a = U.a SET T.x = U.x"), 3251);
}

TEST(AccessSqlTranslatorTest, SelectIntoBecomesCreateTableAs) {
    const auto t = AccessSqlTranslator::translate("SELECT a, b INTO [New Table] FROM t WHERE a > 1");
    EXPECT_EQ(t.sql, "CREATE TABLE \"New Table\" AS SELECT a, b FROM t WHERE a > 1");
    EXPECT_EQ(t.kind, StatementKind::MakeTable);
    EXPECT_FALSE(t.returnsRows());
    EXPECT_EQ(sql("INSERT INTO t SELECT * FROM u"), "INSERT INTO t SELECT * FROM u");
    EXPECT_EQ(refusal("SELECT a INTO x IN 'other.mdb' FROM t"), 3251);
    EXPECT_EQ(refusal("SELECT * FROM (SELECT a INTO x FROM t)"), 3251);
}

TEST(AccessSqlTranslatorTest, ClauseWordsAndFunctionsTranslate) {
    EXPECT_EQ(sql("SELECT DISTINCTROW a FROM t WITH OWNERACCESS OPTION;"), "SELECT DISTINCT a FROM t");
    // LEFT and RIGHT are join words to SQLite; as functions they are quoted.
    EXPECT_EQ(sql("SELECT Left([Name], 3), Right(b, 2) FROM a LEFT JOIN b ON a.id = b.id"),
              "SELECT \"Left\"(\"Name\", 3), \"Right\"(b, 2) FROM a LEFT JOIN b ON a.id = b.id");
    EXPECT_EQ(sql("SELECT Count(*), Sum(x) FROM (a INNER JOIN b ON a.k = b.k) INNER JOIN c ON b.j = c.j"),
              "SELECT Count(*), Sum(x) FROM (a INNER JOIN b ON a.k = b.k) INNER JOIN c ON b.j = c.j");
    EXPECT_EQ(
        sql("SELECT * FROM t WHERE a IS NOT NULL AND b IS NULL AND c BETWEEN 1 AND 2 AND d NOT IN (1, 2)"),
        "SELECT * FROM t WHERE a IS NOT NULL AND b IS NULL AND c BETWEEN 1 AND 2 AND d NOT IN (1, 2)");
    EXPECT_EQ(sql("SELECT * FROM t WHERE EXISTS (SELECT 1 FROM u WHERE u.a = t.a)"),
              "SELECT * FROM t WHERE EXISTS (SELECT 1 FROM u WHERE u.a = t.a)");
    EXPECT_EQ(sql("SELECT * FROM [Order Details]![x]"), "SELECT * FROM \"Order Details\".\"x\"");
}

TEST(AccessSqlTranslatorTest, DataDefinitionPassesWithAutoNumberColumns) {
    const auto t = AccessSqlTranslator::translate("CREATE TABLE [People] ([ID] COUNTER PRIMARY KEY, [Name] "
                                                  "TEXT(50) NOT NULL, [Born] DATETIME, [Ok] YESNO)");
    EXPECT_EQ(t.sql,
              "CREATE TABLE \"People\" (\"ID\" INTEGER PRIMARY KEY, \"Name\" TEXT(50) NOT NULL, \"Born\" "
              "DATETIME, \"Ok\" YESNO)");
    EXPECT_EQ(t.kind, StatementKind::DataDefinition);
    EXPECT_EQ(sql("CREATE TABLE T (ID AUTOINCREMENT(1, 1) PRIMARY KEY)"),
              "CREATE TABLE T (ID INTEGER PRIMARY KEY)");
    EXPECT_EQ(sql("DROP INDEX ix ON T"), "DROP INDEX ix");
}

TEST(AccessSqlTranslatorTest, WhatCannotBeTranslatedIsRefusedWithANumber) {
    EXPECT_EQ(refusal("TRANSFORM Sum(x) SELECT a FROM t GROUP BY a PIVOT b"), 3251);
    EXPECT_EQ(refusal("SELECT a FROM t; SELECT b FROM u"), 3142);
    EXPECT_EQ(refusal("EXPLAIN SELECT 1"), 3129);
    EXPECT_EQ(refusal(""), 3129);
    EXPECT_EQ(refusal("   ;"), 3129);
    EXPECT_EQ(refusal("SELECT * FROM t WHERE a > ANY (SELECT b FROM u)"), 3251);
    // An operator that needs rewriting, in a place that is no expression, is refused rather
    // than passed on with SQLite's meaning.
    EXPECT_EQ(refusal("SELECT CASE WHEN a THEN b & c END FROM t"), 3075);
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

TEST(AccessSqlTranslatorTest, RemovedWordsNeverJoinTheirNeighbours) {
    EXPECT_EQ(sql("SELECT TOP 5[a]FROM[t]"), "SELECT\"a\"FROM\"t\" LIMIT 5");
    EXPECT_EQ(sql("SELECT DISTINCTROW(a)FROM t"), "SELECT DISTINCT(a)FROM t");
    EXPECT_EQ(sql("SELECT a INTO b FROM t WHERE x=-1"), "CREATE TABLE b AS SELECT a FROM t WHERE x = -1");
    // Whitespace of any kind between tokens is one blank; inside a literal it stays.
    EXPECT_EQ(sql("SELECT\r\n\ta\r\nFROM\tt WHERE b = 'x\r\ny'"), "SELECT a FROM t WHERE b = 'x\r\ny'");
}

TEST(AccessSqlTranslatorTest, ParameterReferencesAreNamesNotText) {
    const auto t = AccessSqlTranslator::translate(
        "PARAMETERS [Land] Text; SELECT '[Land]', \"Land\", [Land], [LAND] FROM t WHERE x = [Land] OR y = ?");
    EXPECT_EQ(t.sql, "SELECT '[Land]', 'Land', :p1, :p1 FROM t WHERE x = :p1 OR y = ?");
    ASSERT_EQ(t.parameters.size(), 1u);
    // Undeclared names stay names for SQLite to resolve.
    EXPECT_EQ(sql("SELECT [Enter a value] FROM t"), "SELECT \"Enter a value\" FROM t");
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

TEST(AccessSqlTranslatorTest, LogicalOperatorsOfTheDialect) {
    EXPECT_EQ(sql("SELECT * FROM t WHERE a Xor b"), "SELECT * FROM t WHERE (a <> 0) <> (b <> 0)");
    EXPECT_EQ(sql("SELECT * FROM t WHERE a Eqv b"), "SELECT * FROM t WHERE (a <> 0) = (b <> 0)");
    EXPECT_EQ(sql("SELECT * FROM t WHERE NOT (a LIKE 'x*' OR b IS NULL)"),
              "SELECT * FROM t WHERE NOT (a LIKE 'x%' OR b IS NULL)");
    EXPECT_EQ(sql("SELECT * FROM t WHERE a = 1 OR b = 2 AND NOT c = 3"),
              "SELECT * FROM t WHERE a = 1 OR b = 2 AND NOT c = 3");
    EXPECT_EQ(sql("SELECT * FROM t WHERE (a = 1 OR b = 2) AND c"),
              "SELECT * FROM t WHERE (a = 1 OR b = 2) AND c");
}

TEST(AccessSqlTranslatorTest, FunctionNamesSqliteReservesAreQuoted) {
    EXPECT_EQ(sql("SELECT IsNull(a), Replace(a, 'x', 'y'), Len(a) FROM t"),
              "SELECT \"IsNull\"(a), \"Replace\"(a, 'x', 'y'), Len(a) FROM t");
    // SQLite's own constructs written in free SQL keep working.
    EXPECT_EQ(sql("SELECT CAST(a AS INTEGER) FROM t"), "SELECT CAST(a AS INTEGER) FROM t");
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
            EXPECT_EQ(e.number(), 3075) << bad;
        }
    }
}

TEST(AccessSqlTranslatorTest, NestingTooDeepIsRefusedNotRecursedInto) {
    EXPECT_EQ(refusal("SELECT " + std::string(5000, '(') + "1" + std::string(5000, ')')), 3360);
    EXPECT_EQ(refusal("SELECT " + std::string(5000, '-') + "1"), 3360);
    EXPECT_EQ(sql("SELECT " + std::string(50, '(') + "1" + std::string(50, ')')),
              "SELECT " + std::string(50, '(') + "1" + std::string(50, ')'));
}
