// One column pair of a foreign key by which the shown table refers to another table. A key of
// several columns becomes several records, told apart by the pair's position in their name.
#pragma once

#include <string>

namespace qv {

class clsRelation {
  public:
    void Init(std::string name, std::string table, std::string field, std::string foreignTable,
              std::string foreignName) {
        mName = std::move(name);
        mTable = std::move(table);
        mField = std::move(field);
        mForeignTable = std::move(foreignTable);
        mForeignName = std::move(foreignName);
    }
    const std::string& Name() const { return mName; }
    const std::string& Table() const { return mTable; }               // the referenced table
    const std::string& Field() const { return mField; }               // the referenced column
    const std::string& ForeignTable() const { return mForeignTable; } // the shown table
    const std::string& ForeignName() const { return mForeignName; }   // its referencing column

  private:
    std::string mName, mTable, mField, mForeignTable, mForeignName;
};

} // namespace qv
