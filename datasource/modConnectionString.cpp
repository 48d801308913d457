// Building the connection string; see the header for why values are braced.
#include "datasource/modConnectionString.h"

#include <string_view>

namespace qv {

std::string OdbcValue(const std::string& value) {
    // The driver's parser trims every kind of blank around an unbraced value (tab, line feed,
    // carriage return, vertical tab and form feed too), so a value that starts or ends with
    // one is braced to keep it.
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const bool needsBraces = value.find_first_of(";{}") != std::string::npos ||
                             (!value.empty() && (blanks.find(value.front()) != std::string_view::npos ||
                                                 blanks.find(value.back()) != std::string_view::npos));
    if (!needsBraces) return value;
    std::string out = "{";
    for (char c : value) {
        out += c;
        if (c == '}') out += '}';
    }
    out += '}';
    return out;
}

std::string BuildAccessConnectionString(std::int32_t revisionNumber, const std::string& databasePath,
                                        const std::string& userName, const std::string& password,
                                        const std::string& workgroupFile) {
    std::string s = revisionNumber == 11 ? "Driver={Microsoft Access Driver (*.mdb)};"
                                         : "Driver={Microsoft Access Driver (*.mdb, *.accdb)};";
    s += "Dbq=" + OdbcValue(databasePath) + ";";
    s += "Uid=" + OdbcValue(userName) + ";";
    s += "Pwd=" + OdbcValue(password) + ";";
    if (!workgroupFile.empty()) s += "SystemDB=" + OdbcValue(workgroupFile) + ";";
    return s;
}

} // namespace qv
