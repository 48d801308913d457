// The records connection string: driver by revision, credentials, and values that must not
// be able to add or change keys.
#include "platform/ConnectionString.h"
#include "datasource/modConnectionString.h"

#include <gtest/gtest.h>

#include <map>

namespace qv {
namespace {

// Reads a connection string back the way an ODBC driver manager does.
std::map<std::string, std::string> parseOdbc(const std::string& s) {
    std::map<std::string, std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t eq = s.find('=', i);
        if (eq == std::string::npos) break;
        const std::string key = s.substr(i, eq - i);
        std::string value;
        i = eq + 1;
        if (i < s.size() && s[i] == '{') {
            ++i;
            for (;;) {
                if (i >= s.size()) throw std::runtime_error("unterminated brace");
                if (s[i] == '}') {
                    if (i + 1 < s.size() && s[i + 1] == '}') {
                        value += '}';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += s[i++];
            }
            if (i < s.size() && s[i] != ';') throw std::runtime_error("text after closing brace");
        } else {
            while (i < s.size() && s[i] != ';')
                value += s[i++];
        }
        if (out.count(key)) throw std::runtime_error("key given twice: " + key);
        out[key] = value;
        if (i < s.size()) ++i; // ';'
    }
    return out;
}

TEST(ConnectionStringTest, DriverFollowsRevision) {
    EXPECT_EQ(BuildAccessConnectionString(11, "C:\\db\\a.mdb", "Admin", "", ""),
              "Driver={Microsoft Access Driver (*.mdb)};Dbq=C:\\db\\a.mdb;Uid=Admin;Pwd=;");
    EXPECT_EQ(BuildAccessConnectionString(12, "/data/a.accdb", "Admin", "", ""),
              "Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=/data/a.accdb;Uid=Admin;Pwd=;");
}

TEST(ConnectionStringTest, WorkgroupFileOnlyWhenInUse) {
    const std::string s = BuildAccessConnectionString(12, "/d/a.mdb", "jan", "pw", "/d/system.mdw");
    EXPECT_EQ(s, "Driver={Microsoft Access Driver (*.mdb, "
                 "*.accdb)};Dbq=/d/a.mdb;Uid=jan;Pwd=pw;SystemDB=/d/system.mdw;");
    EXPECT_EQ(BuildAccessConnectionString(12, "/d/a.mdb", "jan", "pw", "").find("SystemDB"),
              std::string::npos);
}

TEST(ConnectionStringTest, HostileValuesStayOneValue) {
    const std::string password = "x;Dbq=/tmp/other.mdb;SystemDB={evil}}";
    const std::string user = "a}b{c";
    const std::string path = "/data/my;db {1}.accdb";
    const std::string wg = " /d/sys.mdw ";
    const auto keys = parseOdbc(BuildAccessConnectionString(12, path, user, password, wg));
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys.at("Dbq"), path);
    EXPECT_EQ(keys.at("Uid"), user);
    EXPECT_EQ(keys.at("Pwd"), password);
    EXPECT_EQ(keys.at("SystemDB"), wg);
}

TEST(ConnectionStringTest, BlanksOfEveryKindAtTheEndsSurviveTheEnginesParser) {
    // The engine trims tab, line feed and the other blanks around an unbraced value, as the
    // driver does; before, only spaces were braced and "\tpw" reached it as "pw".
    for (const std::string value : {"\tpw", "pw\n", "\r\npw\r\n", "\vpw\f", " pw ", "p w"}) {
        const auto cs = ConnectionString::parse(BuildAccessConnectionString(12, value, value, value, value));
        EXPECT_EQ(cs.database(), value);
        EXPECT_EQ(cs.user(), value);
        EXPECT_EQ(cs.password(), value);
        EXPECT_EQ(cs.systemDb(), value);
    }
    EXPECT_EQ(ConnectionString::quote("p w"), "p w");
}

} // namespace
} // namespace qv
