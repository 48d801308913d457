// Saved queries that ask for values they never declare: a bracketed name that is neither a
// column, a table, an alias nor a declared parameter ("[Enter a date:]") is prompted for as Text,
// as Access does, and the query runs with the answer.
#include "tests/engines/mdb/MdbTestSupport.h"

#include "engines/mdb/MdbAdoConnection.h"
#include "engines/mdb/MdbCatalogue.h"
#include "engines/mdb/MdbQueryDecoder.h"
#include "engines/mdb/MdbRecordsets.h"
#include "engines/sqlite/AdoCommand.h"
#include "engines/sqlite/SqlDialect.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <algorithm>
#include <map>

using namespace qv;
using namespace qv::engine;
using namespace qv::mdbtest;

namespace {

MdbQueryRow row(int attribute, std::string name1 = {}, std::string name2 = {}, std::string expression = {},
                long flag = 0) {
    return {attribute, std::move(name1), std::move(name2), std::move(expression), flag};
}

std::vector<std::string> parameterNames(const DaoQueryDefPtr& q) {
    std::vector<std::string> out;
    for (const auto& p : q->parameters())
        out.push_back(p->name());
    return out;
}

// Columns a, b, c of T and d of U; the tables themselves.
bool knownHere(const std::string& name) {
    static const std::vector<std::string> known{"t", "u", "a", "b", "c", "d"};
    std::string lower;
    for (char ch : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return std::find(known.begin(), known.end(), lower) != known.end();
}

} // namespace

TEST(MdbPromptTest, UnknownBracketedNamesBecomeTextParameters) {
    auto q = MdbQueryDecoder::decode(
        "Q",
        {row(1, {}, {}, {}, 1), row(2, "Min:", {}, {}, 4), row(5, "T"), row(6, "Total", {}, "[a] + [b]"),
         row(6, {}, {}, "[Total] * 2"), row(6, {}, {}, "Fix([c])"),
         row(8, {}, {},
             "[T].[a] >= [Enter a date:] AND [b] > [min:] AND [c] <> \"[not a name]\" AND "
             "[d] < #1/2/2003# AND [T]![c] = [Forms]![F]![x] AND [enter A DATE:] IS NOT NULL AND "
             "[c] IN (SELECT [d] FROM [U] AS [V] WHERE [V].[d] > [Lowest d?])")},
        "t");
    MdbQueryDecoder::declarePrompts(q, q.sql, knownHere);
    std::vector<std::string> names;
    std::vector<int> types;
    for (const auto& p : q.parameters) {
        names.push_back(p.name);
        types.push_back(p.type);
    }
    // Declared first, then the form reference, then the prompts in the order they occur, each
    // once whatever its case; aliases, columns, strings and dates are no prompts.
    EXPECT_EQ(names, (std::vector<std::string>{"Min:", "Forms!F!x", "Enter a date:", "Lowest d?"}));
    EXPECT_EQ(types, (std::vector<int>{dao::Long, dao::Text, dao::Text, dao::Text}));
    EXPECT_EQ(q.sql.substr(0, q.sql.find('\n')),
              "PARAMETERS [Min:] Long, Forms!F!x Text, [Enter a date:] Text, [Lowest d?] Text;");
    // The dialect sees every one of them as a parameter, not as a column.
    const auto translated = SqlDialect::translate(q.sql);
    ASSERT_EQ(translated.parameters.size(), 4u);
    EXPECT_EQ(translated.parameters[2].name, "Enter a date:");
    EXPECT_EQ(translated.parameters[2].daoType, dao::Text);

    // A prompt holding '!' or '.' is one name, never a path.
    auto odd = MdbQueryDecoder::decode(
        "O",
        {row(1, {}, {}, {}, 1), row(5, "T"), row(6, {}, {}, "[Now!]"), row(8, {}, {}, "[a] = [Value in m.]")},
        "t");
    MdbQueryDecoder::declarePrompts(odd, odd.sql, knownHere);
    ASSERT_EQ(odd.parameters.size(), 2u);
    EXPECT_EQ(odd.sql.substr(0, odd.sql.find('\n')), "PARAMETERS [Now!] Text, [Value in m.] Text;");
    EXPECT_EQ(SqlDialect::translate(odd.sql).parameters[1].name, "Value in m.");

    // Nothing unknown: the text stays as it was.
    auto plain =
        MdbQueryDecoder::decode("P", {row(1, {}, {}, {}, 1), row(5, "T"), row(6, {}, {}, "[T].[a]")}, "t");
    const std::string before = plain.sql;
    MdbQueryDecoder::declarePrompts(plain, plain.sql, knownHere);
    EXPECT_TRUE(plain.parameters.empty());
    EXPECT_EQ(plain.sql, before);
}

TEST(MdbPromptTest, FixtureQueriesPromptForWhatTheyDoNotDeclare) {
    QV_REQUIRE_ACCESS_FIXTURE("parameters.accdb");
    auto c = MdbCatalogue::open(fixture("parameters.accdb"), {});
    auto q = byName(*c);
    EXPECT_EQ(parameterNames(q["Z qq"]), (std::vector<std::string>{"Enter the country: Example: 'USA'"}));
    EXPECT_EQ(q["Z qq"]->parameters()[0]->type(), dao::Text);
    // ciccia is no column of tAbeLLa.
    EXPECT_EQ(parameterNames(q["tq"]), (std::vector<std::string>{"ciccia"}));
    EXPECT_EQ(parameterNames(q["UpdateWhere"]), (std::vector<std::string>{"update text1 with:", "1"}));
    EXPECT_EQ(parameterNames(q["Z"]), (std::vector<std::string>{"a", "b", "x x:e\"\" 'così'"}));
    // Two declared (stored in their brackets, bound without them) and one that is not.
    EXPECT_EQ(parameterNames(q["InsertWithFewParameters"]),
              (std::vector<std::string>{"insert text please:", "another text please:", "what's your dob?"}));
    // Columns of the tables named are no prompts, also in an INSERT's column list.
    EXPECT_TRUE(q["InsertWithoutParameters"]->parameters().empty());
    EXPECT_TRUE(q["SimpleInsert"]->parameters().empty());
    EXPECT_EQ(parameterNames(q["queryWithParameters"]), (std::vector<std::string>{"a", "b \""}));
    // Nor is anything in a data definition.
    EXPECT_TRUE(q["createTable"]->parameters().empty());

    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto n = MdbCatalogue::open(fixture("nwind.mdb"), {});
    // Northwind's queries name only columns, aliases and their declared parameters.
    for (const auto& def : n->queryDefs()) {
        if (def->name() == "Invoices Filter") continue; // its form reference is asked for
        for (const auto& p : def->parameters())
            EXPECT_TRUE(p->name().find("Date") != std::string::npos || p->name().find("Forms!") == 0)
                << def->name() << " asks for " << p->name();
    }
}

TEST(MdbPromptTest, PromptedQueryRunsWithTheAnswer) {
    QV_REQUIRE_ACCESS_FIXTURE("parameters.accdb");
    const auto before = sha256(fixture("parameters.accdb"));
    auto connection = std::make_shared<MdbAdoConnection>();
    connection->open("Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=" + fixture("parameters.accdb") +
                     ";Uid=Admin;Pwd=;");
    const std::string prompt = "Enter the country: Example: 'USA'";
    auto run = [&](const Variant& answer) {
        AdoCommand command;
        command.setActiveConnection(connection);
        command.setCommandType(ado::CmdStoredProc);
        command.setCommandText("[Z qq]");
        command.appendParameter(command.createParameter(prompt, ado::VarWChar, ado::ParamInput, 50, answer));
        return command.execute();
    };
    // [table 1] holds "111" and "3x": the answer picks its row.
    auto rs = run(Variant("3x"));
    ASSERT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(rs->field("text1")->value().toString(), "3x");
    EXPECT_EQ(run(Variant("nowhere"))->recordCount(), 0);
    // Without its value it is a missing parameter, not an unknown column.
    auto c = MdbCatalogue::open(fixture("parameters.accdb"), {});
    EXPECT_EQ(errorNumber([&] { MdbRecordsets::query(*c, "Z qq"); }), err::AdoParameterImproperlyDefined);
    EXPECT_EQ(sha256(fixture("parameters.accdb")), before);
}
