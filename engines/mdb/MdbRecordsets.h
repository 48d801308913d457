// Record sets over an Access file. The tables a record set needs are copied into a private
// in-memory SQLite database and read from there into the SQLite engine's columnar record set,
// so an Access table answers with the same types, sizes and values as its SQLite copy would.
#pragma once

#include "engines/mdb/MdbCatalogue.h"
#include "engines/sqlite/ColumnarRecordset.h"
#include "sqlite/SqliteConnection.h"

#include <memory>
#include <string>

namespace qv::engine {

class MdbRecordsets {
  public:
    // Every row of one table (local or linked), in stored order.
    static std::shared_ptr<ColumnarRecordset> table(const MdbCatalogue& catalogue, const std::string& name);
    // A row-returning statement in the product's dialect (or the name of a saved select or union
    // query), run over an in-memory copy of the tables it names; the saved queries it names become
    // views. Statements that change data are refused (3027): the file is read-only. Parameter
    // queries are refused with 3708 until their values can be passed.
    static std::shared_ptr<ColumnarRecordset> query(const MdbCatalogue& catalogue, const std::string& sql);

    // A private in-memory database with the dialect's functions, copies of the tables sql names
    // and views of the saved select and union queries it names.
    static SqliteConnection copyFor(const MdbCatalogue& catalogue, const std::string& sql);
    // The text of a saved query to run here; raises 3078 for an unknown name and 0x80040E14
    // for a pass-through query, whose text is meant for a server.
    static std::string savedQueryText(const MdbCatalogue& catalogue, const std::string& name);
    // A crosstab query without an IN list as the SELECT with one column per heading the data
    // holds now (at most 254, as Access allows); any other text unchanged.
    static std::string expandCrosstab(const MdbCatalogue& catalogue, const std::string& sql);
    // 3027 naming the file: what every statement that would change an Access file gets.
    [[noreturn]] static void refuseWriting(const MdbCatalogue& catalogue);
};

} // namespace qv::engine
