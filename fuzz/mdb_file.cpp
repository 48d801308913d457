// An Access file from outside: our header and size checks, the page stream libmdb reads through,
// the catalogue (MSysObjects, MSysRelationships, MSysQueries decoded into SQL), every table's
// definition and properties, and every row decoded. libmdb is third-party; what is fuzzed here is
// our use of it: a damaged file must end in a numbered error, never in a crash or a read that
// does not end. libmdb opens files by name, so each input is written to one file per process.
#include "engines/mdb/MdbCatalogue.h"
#include "engines/mdb/MdbTable.h"
#include "platform/NumberedError.h"
#include "platform/engine/DaoConstants.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

const std::string& scratch() {
    static const std::string path = "/tmp/qv_fuzz_mdb_file_" + std::to_string(::getpid()) + ".mdb";
    return path;
}

void readEverything(const std::string& path, const std::string& password) {
    auto catalogue = qv::engine::MdbCatalogue::open(path, {password, "fuzz"});
    (void)catalogue->relationDefs();
    try {
        for (const auto& q : catalogue->queryDefs())
            (void)q->sql();
    } catch (const qv::NumberedError&) {
    }
    for (const auto& t : catalogue->tables()) {
        if (t.attributes & qv::dao::AttachedTable) continue; // its target is another file
        try {
            (void)catalogue->tableDef(t.name);
            qv::engine::MdbTable table(catalogue->file(), t.name);
            long rows = 0;
            table.readRows([&](const std::vector<qv::Variant>&) { return ++rows < 100000; });
            catalogue->file().checkIntact();
        } catch (const qv::NumberedError&) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(scratch().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    // The seed with a database password opens with it; any other file with none.
    for (const char* password : {"", "password"}) {
        try {
            readEverything(scratch(), password);
            break;
        } catch (const qv::NumberedError& e) {
            if (e.number() != 3031) break;
        }
    }
    return 0;
}
