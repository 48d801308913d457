// Table metadata of an Access database: key columns from the primary index, foreign keys from
// the database's relations and, per column, the field properties the form lays out by. The
// table described is always the one the form shows at the moment of the call.
#pragma once

#include "datasource/DSContext.h"
#include "datasource/ITable.h"
#include "datasource/clsTable.h"
#include "platform/engine/IDaoDatabase.h"

namespace qv {

class IDS;

class clsTableAccess : public ITable {
  public:
    clsTableAccess(IDS& dataSource, const DSContext& context);

    void Initialize() override;
    void DeterminePrimaryKeys() override;
    void DetermineRelations() override;
    std::unique_ptr<clsField> InitializeField(const std::string& matrixFieldName, std::int16_t index,
                                              const IAdoRecordset& rs) override;
    bool HasPrimaryKey() const override { return mTable.HasPrimaryKey(); }
    const RelationCollection& Relations() const override { return mTable.Relations(); }
    const KeyedCollection<std::string>& PrimaryKeys() const override { return mTable.PrimaryKeys(); }

  private:
    // Case-sensitive walk over the properties by position; a missing property is never an error.
    static bool PropertyExists(const IDaoField& field, const std::string& propertyName);
    // The property's value, or empty when the field has no such property.
    static Variant PropertyValue(const IDaoField& field, const std::string& propertyName);

    std::string CurrentTableName() const;
    DaoDatabasePtr Database() const;
    DaoTableDefPtr CurrentTableDef() const;

    IDS& mDataSource;
    const DSContext& mContext;
    clsTable mTable;
};

} // namespace qv
