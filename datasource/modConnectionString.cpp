// Building the connection string; see the header for why values are braced.
#include "datasource/modConnectionString.h"

#include "platform/ConnectionString.h"

#include <string_view>

namespace qv {

std::string BuildAccessConnectionString(std::int32_t revisionNumber, const std::string& databasePath,
                                        const std::string& userName, const std::string& password,
                                        const std::string& workgroupFile) {
    std::string s = revisionNumber == 11 ? "Driver={Microsoft Access Driver (*.mdb)};"
                                         : "Driver={Microsoft Access Driver (*.mdb, *.accdb)};";
    s += "Dbq=" + ConnectionString::quote(databasePath) + ";";
    s += "Uid=" + ConnectionString::quote(userName) + ";";
    s += "Pwd=" + ConnectionString::quote(password) + ";";
    if (!workgroupFile.empty()) s += "SystemDB=" + ConnectionString::quote(workgroupFile) + ";";
    return s;
}

} // namespace qv
