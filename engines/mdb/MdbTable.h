// One table of an Access file: its columns with their properties, its indexes, and its rows as
// values. Values are decoded from the row bytes ourselves where libmdb's text forms lose
// something: dates stay the stored automation-date double (libmdb's text gets years before 1900
// and 9999 wrong), currency the stored scaled integer, big integers and GUIDs their bytes.
#pragma once

#include "engines/mdb/MdbColumnType.h"
#include "platform/Variant.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

struct S_MdbTableDef;

namespace qv::engine {

class MdbFile;

struct MdbColumnInfo {
    std::string name;
    MdbColumnType type;
    int precision = 0;
    int scale = 0;
    bool autoIncrement = false;
    // Every field property the file stores for the column, as libmdb renders it ("yes"/"no" for
    // yes/no properties).
    std::map<std::string, std::string> properties;
};

struct MdbIndexInfo {
    std::string name;
    bool primary = false;
    bool unique = false;
    bool foreign = false;             // made by Access for a relationship
    std::vector<std::string> columns; // in key order
};

class MdbTable {
  public:
    // Raises 3078 when there is no such table, 3343 when its definition is damaged.
    MdbTable(const MdbFile& file, const std::string& name);
    ~MdbTable();
    MdbTable(const MdbTable&) = delete;
    MdbTable& operator=(const MdbTable&) = delete;

    const std::string& name() const { return mName; }
    const std::vector<MdbColumnInfo>& columns() const { return mColumns; }
    const std::vector<MdbIndexInfo>& indexes() const { return mIndexes; }
    const std::map<std::string, std::string>& properties() const { return mProperties; }
    long long storedRowCount() const;

    // Calls onRow with each row's values in column order. Raises 3343 when the file ends inside
    // the table. onRow returns false to stop.
    void readRows(const std::function<bool(const std::vector<Variant>&)>& onRow) const;

  private:
    Variant decode(std::size_t column, int start, int size, bool null) const;

    const MdbFile& mFile;
    S_MdbTableDef* mTable = nullptr;
    std::string mName;
    std::vector<MdbColumnInfo> mColumns;
    std::vector<MdbIndexInfo> mIndexes;
    std::map<std::string, std::string> mProperties;
};

} // namespace qv::engine
