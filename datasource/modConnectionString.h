// The ODBC connection string of an Access data source. Values come from the user (path, user
// name, password, workgroup file), so each is braced when it would otherwise end its key early
// or open a brace of its own: a password such as "x;Dbq=other.mdb" stays one password.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

// Driver by revision (11: .mdb only; otherwise .mdb and .accdb), then Dbq, Uid, Pwd and, when a
// workgroup file is in use, SystemDB.
std::string BuildAccessConnectionString(std::int32_t revisionNumber, const std::string& databasePath,
                                        const std::string& userName, const std::string& password,
                                        const std::string& workgroupFile);

} // namespace qv
