// Building the connection string; see the header for why values are braced.
#include "datasource/modConnectionString.h"

namespace qv {

std::string OdbcValue(const std::string& value) {
    // Leading or trailing blanks would be trimmed by the driver's parser; keep them too.
    const bool needsBraces = value.find_first_of(";{}") != std::string::npos ||
                             (!value.empty() && (value.front() == ' ' || value.back() == ' '));
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
