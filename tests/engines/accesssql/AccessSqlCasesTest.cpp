// Runs every case file under cases/: each case is a few "key: value" lines, so adding a case to
// the translator's record is one line of Access SQL and one of what it must become.
//
//   sql:   the Access statement (expr: instead, for one expression of a field property)
//   is:    the SQLite text it must translate to
//   error: the refusal it must meet instead, by its catalogue name (SyntaxInExpression) or number
//   kind:  the statement kind (Select, Insert, Update, Delete, MakeTable, DataDefinition)
//   rows:  the rows it must return against cases/fixture.sql: rows apart by " | ", values by ", "
//
// Blank lines and lines starting with # are passed over. In values, {CR}, {LF}, {TAB} and {NUL}
// stand for the characters that a line cannot hold. A failure names the file and line of its
// case; a malformed file fails as a whole rather than losing cases silently.
#include "engines/accesssql/AccessFunctions.h"
#include "engines/accesssql/AccessSqlTranslator.h"
#include "platform/ErrorCatalogue.h"
#include "platform/NumberedError.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

using qv::accesssql::AccessSqlTranslator;
using qv::accesssql::StatementKind;

namespace {

const std::filesystem::path kCases = std::filesystem::path(QV_SOURCE_DIR) / "tests/engines/accesssql/cases";

struct Case {
    std::string where; // file:line
    bool expression = false;
    std::string input;
    std::optional<std::string> sql, error, kind, rows;
};

std::string unescape(std::string s) {
    static const std::pair<const char*, char> marks[] = {
        {"{CR}", '\r'}, {"{LF}", '\n'}, {"{TAB}", '\t'}, {"{NUL}", '\0'}};
    for (const auto& [mark, c] : marks) {
        for (std::size_t p = s.find(mark); p != std::string::npos; p = s.find(mark, p + 1))
            s.replace(p, std::string_view(mark).size(), 1, c);
    }
    return s;
}

// Reads one case file; a line it cannot place is a failure naming it.
std::vector<Case> readCases(const std::filesystem::path& file, std::vector<std::string>& problems) {
    std::ifstream in(file, std::ios::binary);
    std::vector<Case> cases;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string where = file.filename().string() + ":" + std::to_string(n);
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos) {
            problems.push_back(where + ": no \"key:\" on the line");
            continue;
        }
        const std::string key = line.substr(0, colon);
        std::string value = line.substr(colon + 1);
        value.erase(0, std::min(value.find_first_not_of(' '), value.size()));
        value = unescape(value);
        if (key == "sql" || key == "expr") {
            cases.push_back({where, key == "expr", value, {}, {}, {}, {}});
            continue;
        }
        if (cases.empty()) {
            problems.push_back(where + ": \"" + key + ":\" before any sql:");
            continue;
        }
        Case& c = cases.back();
        std::optional<std::string>* slot = key == "is"      ? &c.sql
                                           : key == "error" ? &c.error
                                           : key == "kind"  ? &c.kind
                                           : key == "rows"  ? &c.rows
                                                            : nullptr;
        if (!slot)
            problems.push_back(where + ": unknown key \"" + key + "\"");
        else if (*slot)
            problems.push_back(where + ": \"" + key + ":\" given twice for one case");
        else
            *slot = value;
    }
    for (const Case& c : cases) {
        if (!c.sql && !c.error && !c.rows) problems.push_back(c.where + ": the case expects nothing");
        if (c.error && (c.sql || c.rows || c.kind))
            problems.push_back(c.where + ": an error case expects no result");
    }
    return cases;
}

// The number a case's error names: a catalogue name or the number itself.
std::optional<std::int32_t> errorNumber(const std::string& text) {
    for (const qv::ErrorEntry& e : qv::ErrorCatalogue::entries())
        if (e.name == text) return e.number;
    std::int32_t n = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec == std::errc() && end == text.data() + text.size() && qv::ErrorCatalogue::find(n)) return n;
    return std::nullopt;
}

const char* kindName(StatementKind k) {
    switch (k) {
    case StatementKind::Select:
        return "Select";
    case StatementKind::Insert:
        return "Insert";
    case StatementKind::Update:
        return "Update";
    case StatementKind::Delete:
        return "Delete";
    case StatementKind::MakeTable:
        return "MakeTable";
    case StatementKind::DataDefinition:
        return "DataDefinition";
    }
    return "?";
}

// A fresh in-memory database with the fixture schema and the dialect's functions, so that a
// case that changes data cannot disturb the next.
class Fixture {
  public:
    Fixture() {
        sqlite3_open(":memory:", &mDb);
        qv::accesssql::AccessFunctions::registerAll(mDb);
        std::ifstream in(kCases / "fixture.sql", std::ios::binary);
        const std::string schema((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        char* msg = nullptr;
        if (schema.empty() || sqlite3_exec(mDb, schema.c_str(), nullptr, nullptr, &msg) != SQLITE_OK)
            mProblem = "cases/fixture.sql: " + std::string(msg ? msg : "missing or empty");
        sqlite3_free(msg);
    }
    ~Fixture() { sqlite3_close(mDb); }
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    const std::string& problem() const { return mProblem; }

    // Every row the statement gives, as the case file writes them; an SQLite refusal is returned
    // as "error: ..." so that it shows in the comparison.
    std::string rows(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(mDb, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr) != SQLITE_OK)
            return std::string("error: ") + sqlite3_errmsg(mDb);
        std::string out;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (!out.empty()) out += " | ";
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                if (i) out += ", ";
                const unsigned char* t = sqlite3_column_text(st, i);
                out += t ? reinterpret_cast<const char*>(t) : "NULL";
            }
        }
        if (rc != SQLITE_DONE) out = std::string("error: ") + sqlite3_errmsg(mDb);
        sqlite3_finalize(st);
        return out;
    }

  private:
    sqlite3* mDb = nullptr;
    std::string mProblem;
};

void runCase(const Case& c) {
    SCOPED_TRACE(c.where);
    std::string translated;
    std::optional<StatementKind> kind;
    try {
        if (c.expression) {
            translated = AccessSqlTranslator::translateExpression(c.input);
        } else {
            const auto t = AccessSqlTranslator::translate(c.input);
            translated = t.sql;
            kind = t.kind;
        }
    } catch (const qv::NumberedError& e) {
        if (!c.error) {
            ADD_FAILURE() << c.where << ": refused with " << e.number() << " " << e.description();
            return;
        }
        const auto expected = errorNumber(*c.error);
        if (!expected)
            ADD_FAILURE() << c.where << ": \"" << *c.error << "\" is no number of the error catalogue";
        else
            EXPECT_EQ(e.number(), *expected) << c.where << ": " << e.description();
        EXPECT_FALSE(e.description().empty()) << c.where;
        return;
    }
    if (c.error) {
        ADD_FAILURE() << c.where << ": expected error " << *c.error << ", translated to " << translated;
        return;
    }
    if (c.sql) {
        EXPECT_EQ(translated, *c.sql) << c.where;
    }
    if (c.kind) {
        EXPECT_EQ(kind ? kindName(*kind) : "(expression)", *c.kind) << c.where;
    }
    if (c.rows) {
        Fixture db;
        ASSERT_EQ(db.problem(), "");
        EXPECT_EQ(db.rows(c.expression ? "SELECT " + translated : translated), *c.rows) << c.where;
    }
}

std::vector<std::filesystem::path> caseFiles() {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(kCases)) {
        for (const auto& e : std::filesystem::recursive_directory_iterator(kCases))
            if (e.is_regular_file() && e.path().extension() == ".txt") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(AccessSqlCasesTest, EveryCaseFileTranslatesAsWritten) {
    const auto files = caseFiles();
    ASSERT_FALSE(files.empty()) << "no case files under " << kCases;
    std::size_t count = 0;
    for (const auto& file : files) {
        std::vector<std::string> problems;
        const auto cases = readCases(file, problems);
        for (const std::string& p : problems)
            ADD_FAILURE() << p;
        for (const Case& c : cases)
            runCase(c);
        count += cases.size();
    }
    EXPECT_GE(count, 110u) << "case files were found but hold too few cases; were some lost?";
}

TEST(AccessSqlCasesTest, MalformedCaseFilesAreReportedNotSkipped) {
    const auto dir = std::filesystem::temp_directory_path() / ("qv-cases-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "bad.txt";
    std::ofstream(file)
        << "# a header\nis: SELECT 1\nsql: SELECT 1\nsould: SELECT 1\n\nsql: SELECT 2\nsql: SELECT 3\n"
           "error: Syntax\nis: x\n";
    std::vector<std::string> problems;
    const auto cases = readCases(file, problems);
    std::filesystem::remove_all(dir);
    EXPECT_EQ(cases.size(), 3u);
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problems[0], "bad.txt:2: \"is:\" before any sql:");
    EXPECT_EQ(problems[1], "bad.txt:4: unknown key \"sould\"");
    EXPECT_EQ(problems[2], "bad.txt:3: the case expects nothing");
    EXPECT_EQ(problems[3], "bad.txt:6: the case expects nothing");
    EXPECT_EQ(problems[4], "bad.txt:7: an error case expects no result");
    EXPECT_EQ(errorNumber("SyntaxInExpression"), qv::err::SyntaxInExpression);
    EXPECT_EQ(errorNumber("3075"), qv::err::SyntaxInExpression);
    EXPECT_EQ(errorNumber("Syntax"), std::nullopt);
    EXPECT_EQ(errorNumber("1"), std::nullopt);
    EXPECT_EQ(unescape("a{CR}{LF}b{TAB}{NUL}"), std::string("a\r\nb\t\0", 6));
}
