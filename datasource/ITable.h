// The metadata of the table the form shows: key columns, the foreign keys it holds and, per
// column, what the form needs to lay it out. One object per data source, re-initialised each
// time another table is shown.
#pragma once

#include "datasource/KeyedCollection.h"
#include "datasource/clsField.h"
#include "datasource/clsRelation.h"
#include "platform/engine/IAdoRecordset.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qv {

using RelationCollection = KeyedCollection<clsRelation>;

class ITable {
  public:
    virtual ~ITable() = default;
    virtual void Initialize() = 0;
    virtual void DeterminePrimaryKeys() = 0;
    virtual void DetermineRelations() = 0;
    virtual std::unique_ptr<clsField> InitializeField(const std::string& matrixFieldName, std::int16_t index,
                                                      const IAdoRecordset& rs) = 0;
    virtual bool HasPrimaryKey() const = 0;
    virtual const RelationCollection& Relations() const = 0;
    virtual const KeyedCollection<std::string>& PrimaryKeys() const = 0;
};

} // namespace qv
