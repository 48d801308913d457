// The kind-independent half of the table metadata: the key columns and foreign keys of the
// shown table, and the creation of a column record from the record set that holds its rows.
#pragma once

#include "datasource/ITable.h"

#include <memory>
#include <string>

namespace qv {

class clsTable {
  public:
    clsTable();

    RelationCollection& Relations() { return *mRelations; }
    const RelationCollection& Relations() const { return *mRelations; }
    void SetRelations(std::unique_ptr<RelationCollection> relations) { mRelations = std::move(relations); }
    const KeyedCollection<std::string>& PrimaryKeys() const { return *mPrimaryKeys; }
    void SetPrimaryKeys(std::unique_ptr<KeyedCollection<std::string>> keys) {
        mPrimaryKeys = std::move(keys);
    }
    bool HasPrimaryKey() const { return mPrimaryKeys->Count() >= 1; }

    // Size and records-model type of the record-set column; raises the record set's 3265 when
    // the column is not in it.
    clsField::Values CreateField(const std::string& name, const IAdoRecordset& rs) const;
    void ClearRelations();

  private:
    std::unique_ptr<RelationCollection> mRelations;
    std::unique_ptr<KeyedCollection<std::string>> mPrimaryKeys;
};

} // namespace qv
