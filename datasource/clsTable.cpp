// Collections of the table metadata and the record-set side of a column.
#include "datasource/clsTable.h"

namespace qv {

clsTable::clsTable()
    : mRelations(std::make_unique<RelationCollection>()),
      mPrimaryKeys(std::make_unique<KeyedCollection<std::string>>()) {}

clsField::Values clsTable::CreateField(const std::string& name, const IAdoRecordset& rs) const {
    auto f = rs.field(name);
    if (!f) throw ErrorCatalogue::make(err::ItemNotFound, "CreateField");
    clsField::Values v;
    v.Name = name;
    const long size = f->definedSize();
    v.Size = static_cast<std::int32_t>(size);
    v.TypeADO = f->type();
    return v;
}

void clsTable::ClearRelations() {
    mRelations = std::make_unique<RelationCollection>();
}

} // namespace qv
