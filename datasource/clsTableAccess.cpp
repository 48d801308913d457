// Reading keys, relations and column properties from the catalogue. Nothing is trapped here:
// an unknown table or column reaches the form, which reports it.
#include "datasource/clsTableAccess.h"

#include "datasource/IDS.h"
#include "platform/NumberedError.h"
#include "platform/engine/DaoConstants.h"

#include <fmt/format.h>

namespace qv {

namespace {

std::string textOf(const Variant& v) {
    return v.isNull() || v.isEmpty() ? std::string() : v.toString();
}

} // namespace

clsTableAccess::clsTableAccess(IDS& dataSource, const DSContext& context)
    : mDataSource(dataSource), mContext(context) {}

std::string clsTableAccess::CurrentTableName() const {
    return mContext.CurrentTableName ? mContext.CurrentTableName() : std::string();
}

DaoDatabasePtr clsTableAccess::Database() const {
    DaoDatabasePtr db = mDataSource.DbDAO();
    if (!db) throw ErrorCatalogue::make(err::ObjectNotSet, "clsTableAccess");
    return db;
}

DaoTableDefPtr clsTableAccess::CurrentTableDef() const {
    const std::string name = CurrentTableName();
    DaoTableDefPtr def = Database()->tableDef(name);
    if (!def)
        throw NumberedError(err::ItemNotFound, "clsTableAccess",
                            fmt::format("Item not found in this collection: {}", name));
    return def;
}

void clsTableAccess::Initialize() {
    mDataSource.ConnectDAO();
    DeterminePrimaryKeys();
    DetermineRelations();
}

void clsTableAccess::DeterminePrimaryKeys() {
    DaoTableDefPtr def = CurrentTableDef();
    auto keys = std::make_unique<KeyedCollection<std::string>>();
    mTable.SetPrimaryKeys(std::make_unique<KeyedCollection<std::string>>());
    for (const DaoIndexPtr& index : def->indexes()) {
        if (!index->primary()) continue;
        for (const DaoFieldPtr& f : index->fields())
            keys->Add(f->name(), f->name());
    }
    mTable.SetPrimaryKeys(std::move(keys));
}

void clsTableAccess::DetermineRelations() {
    mTable.ClearRelations();
    const std::string table = CurrentTableName();
    auto relations = std::make_unique<RelationCollection>();
    for (const DaoRelationPtr& r : Database()->relations()) {
        if (r->foreignTable() != table) continue;
        const std::vector<DaoFieldPtr> fields = r->fields();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            clsRelation rel;
            rel.Init(fmt::format("{}_{}", r->name(), i), r->table(), fields[i]->name(), r->foreignTable(),
                     fields[i]->foreignName());
            const std::string key = rel.Name();
            relations->Add(key, std::move(rel));
        }
    }
    mTable.SetRelations(std::move(relations));
}

bool clsTableAccess::PropertyExists(const IDaoField& field, const std::string& propertyName) {
    for (const DaoPropertyPtr& p : field.properties())
        if (p && p->name() == propertyName) return true;
    return false;
}

Variant clsTableAccess::PropertyValue(const IDaoField& field, const std::string& propertyName) {
    for (const DaoPropertyPtr& p : field.properties())
        if (p && p->name() == propertyName) return p->value();
    return {};
}

std::unique_ptr<clsField> clsTableAccess::InitializeField(const std::string& matrixFieldName,
                                                          std::int16_t index, const IAdoRecordset& rs) {
    clsField::Values v = mTable.CreateField(matrixFieldName, rs);
    v.Index = index;

    DaoFieldPtr f = CurrentTableDef()->field(matrixFieldName);
    if (!f)
        throw NumberedError(err::ItemNotFound, "clsTableAccess",
                            fmt::format("Item not found in this collection: {}", matrixFieldName));
    v.DefaultValue = Variant(f->defaultValue());
    v.AllowZeroLength = f->allowZeroLength();
    v.TypeDAO = f->type();

    v.Caption = textOf(PropertyValue(*f, "Caption"));
    v.ValidationText = textOf(PropertyValue(*f, "ValidationText"));
    v.Format = textOf(PropertyValue(*f, "Format"));
    v.Description = textOf(PropertyValue(*f, "Description"));
    const Variant width = PropertyValue(*f, "ColumnWidth");
    v.ColumnWidth = PropertyExists(*f, "ColumnWidth") && !width.isNull() ? width.toInt32() : -1;
    const Variant hidden = PropertyValue(*f, "ColumnHidden");
    v.ColumnHidden = PropertyExists(*f, "ColumnHidden") && !hidden.isNull() && hidden.toBool();

    switch (mContext.RevisionNumber) {
    case 11:
        break;
    case 12: {
        // Only memo fields carry "AppendOnly"; on every other field its absence means false.
        const Variant appendOnly = PropertyValue(*f, "AppendOnly");
        const bool isAppendOnly = !appendOnly.isEmpty() && !appendOnly.isNull() && appendOnly.toBool();
        if (isAppendOnly || v.TypeDAO == dao::Attachment) v.IsReadOnly = true;
        break;
    }
    default:
        throw NumberedError(err::NotImplemented, "ITable_InitializeField", "No such version!");
    }

    if (f->attributes() & dao::FieldAutoIncrement) {
        v.IsAutoIncr = true;
        v.IsReadOnly = true;
    }

    auto field = std::make_unique<clsField>();
    field->Init(std::move(v), mTable.PrimaryKeys());
    return field;
}

} // namespace qv
