// The plain table is filled at compile time from the linked library; the other slot stays empty
// until the encryption library is loaded, so a lookup never yields a half-filled table.
#include "sqlite/SqliteApi.h"

#include <array>

namespace qv {

namespace {

SqliteApi makePlain() {
    SqliteApi api;
#define QV_SQLITE_API_PLAIN(name) api.name = &::sqlite3_##name;
    QV_SQLITE_API_ENTRIES(QV_SQLITE_API_PLAIN)
#undef QV_SQLITE_API_PLAIN
    api.library = SqliteApi::Library::Plain;
    return api;
}

std::array<const SqliteApi*, SqliteApi::LibraryCount>& slots() {
    static std::array<const SqliteApi*, SqliteApi::LibraryCount> installed{};
    return installed;
}

} // namespace

const SqliteApi& SqliteApi::plain() {
    static const SqliteApi api = makePlain();
    return api;
}

void SqliteApi::install(const SqliteApi& api) {
    slots()[static_cast<std::size_t>(api.library)] = &api;
}

const SqliteApi& SqliteApi::of(Library library) {
    const SqliteApi* api = slots()[static_cast<std::size_t>(library)];
    return api ? *api : plain();
}

} // namespace qv
