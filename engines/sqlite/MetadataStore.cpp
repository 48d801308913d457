// Property values keep their variant kind in a type column (catalogue type codes), so that a
// "ColumnHidden" stored as a boolean reads back as one.
#include "engines/sqlite/MetadataStore.h"

#include "engines/sqlite/SqlDialect.h"

#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/Statement.h"
#include "platform/engine/DaoConstants.h"

namespace qv::engine {

namespace {
const char* const Source = "DAO.Database";

int typeOf(const Variant& v) {
    switch (v.type()) {
    case VarType::Boolean:
        return dao::Boolean;
    case VarType::Byte:
        return dao::Byte;
    case VarType::Integer:
        return dao::Integer;
    case VarType::Long:
        return dao::Long;
    case VarType::LongLong:
        return dao::BigInt;
    case VarType::Single:
        return dao::Single;
    case VarType::Double:
    case VarType::Decimal:
        return dao::Double;
    case VarType::Currency:
        return dao::Currency;
    case VarType::Date:
        return dao::Date;
    case VarType::Binary:
        return dao::LongBinary;
    default:
        return dao::Text;
    }
}

Variant typed(const Variant& raw, int type) {
    if (raw.isNull()) return raw;
    switch (type) {
    case dao::Boolean:
        return Variant(raw.toInt64() != 0);
    case dao::Byte:
        return Variant::byteValue(static_cast<std::uint8_t>(raw.toInt64()));
    case dao::Integer:
        return Variant::integer(static_cast<std::int16_t>(raw.toInt64()));
    case dao::Long:
        return Variant::longValue(static_cast<std::int32_t>(raw.toInt64()));
    case dao::BigInt:
        return Variant(raw.toInt64());
    case dao::Single:
        return Variant::single(static_cast<float>(raw.toDouble()));
    case dao::Double:
        return Variant(raw.toDouble());
    case dao::Currency:
        return Variant(Currency::fromDouble(raw.toDouble()));
    case dao::Date:
        return Variant(raw.toDate());
    case dao::LongBinary:
        return raw;
    default:
        return Variant(raw.toString());
    }
}
} // namespace

bool MetadataStore::isMetadataTable(const std::string& name) {
    return name == PropertiesTable || name == QueriesTable || name == RelationNamesTable;
}

bool MetadataStore::hasTable(const char* name) const {
    Statement st(mDb, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?", Source);
    st.bind(1, std::string(name));
    return st.step();
}

void MetadataStore::ensure(const char* createSql) const {
    char* msg = nullptr;
    int rc = mDb.lib().exec(mDb.db, createSql, nullptr, nullptr, &msg);
    mDb.lib().free(msg);
    if (rc != SQLITE_OK) {
        throw EngineErrors::fromSqlite(mDb, rc, Source);
    }
}

std::vector<StoredProperty> MetadataStore::properties() const {
    std::vector<StoredProperty> out;
    if (!hasTable(PropertiesTable)) return out;
    Statement st(mDb, "SELECT TableName, FieldName, Name, Value, Type FROM QvFieldProperties ORDER BY rowid",
                 Source);
    while (st.step()) {
        StoredProperty p;
        p.table = st.text(0);
        p.field = st.text(1);
        p.name = st.text(2);
        p.type = st.isNull(4) ? dao::Text : static_cast<int>(st.integer(4));
        p.value = typed(st.value(3), p.type);
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<StoredQuery> MetadataStore::queries() const {
    std::vector<StoredQuery> out;
    if (!hasTable(QueriesTable)) return out;
    Statement st(mDb, "SELECT Name, SQL, Type FROM QvQueries ORDER BY rowid", Source);
    while (st.step())
        out.push_back({st.text(0), st.text(1), st.isNull(2) ? -1 : static_cast<int>(st.integer(2))});
    return out;
}

std::vector<StoredRelationName> MetadataStore::relationNames() const {
    std::vector<StoredRelationName> out;
    if (!hasTable(RelationNamesTable)) return out;
    Statement st(mDb, "SELECT ForeignTable, TableName, Columns, Name FROM QvRelationNames", Source);
    while (st.step())
        out.push_back({st.text(0), st.text(1), st.text(2), st.text(3)});
    return out;
}

void MetadataStore::setProperty(const std::string& table, const std::string& field, const std::string& name,
                                const Variant& value) {
    ensure("CREATE TABLE IF NOT EXISTS QvFieldProperties (TableName TEXT NOT NULL, FieldName TEXT NOT NULL, "
           "Name TEXT NOT NULL, Value, Type INTEGER, PRIMARY KEY (TableName, FieldName, Name))");
    Statement st(mDb,
                 "INSERT OR REPLACE INTO QvFieldProperties (TableName, FieldName, Name, Value, Type) "
                 "VALUES (?, ?, ?, ?, ?)",
                 Source);
    st.bind(1, table).bind(2, field).bind(3, name).bind(4, value).bind(5, Variant(typeOf(value)));
    st.step();
}

bool MetadataStore::removeProperty(const std::string& table, const std::string& field,
                                   const std::string& name) {
    if (!hasTable(PropertiesTable)) return false;
    Statement st(mDb, "DELETE FROM QvFieldProperties WHERE TableName=? AND FieldName=? AND Name=?", Source);
    st.bind(1, table).bind(2, field).bind(3, name);
    st.step();
    return mDb.lib().changes(mDb.db) > 0;
}

void MetadataStore::saveQuery(const std::string& name, const std::string& sql, int type) {
    // A query the engine could not run is refused now, with the dialect's numbered error, rather
    // than stored and failing each time it is opened.
    SqlDialect::translate(sql);
    ensure("CREATE TABLE IF NOT EXISTS QvQueries (Name TEXT PRIMARY KEY NOT NULL, SQL TEXT NOT NULL, Type "
           "INTEGER)");
    Statement st(mDb, "INSERT OR REPLACE INTO QvQueries (Name, SQL, Type) VALUES (?, ?, ?)", Source);
    st.bind(1, name).bind(2, sql).bind(3, type < 0 ? Variant::null() : Variant(type));
    st.step();
}

bool MetadataStore::removeQuery(const std::string& name) {
    if (!hasTable(QueriesTable)) return false;
    Statement st(mDb, "DELETE FROM QvQueries WHERE Name=?", Source);
    st.bind(1, name);
    st.step();
    return mDb.lib().changes(mDb.db) > 0;
}

void MetadataStore::setRelationName(const StoredRelationName& r) {
    ensure("CREATE TABLE IF NOT EXISTS QvRelationNames (ForeignTable TEXT NOT NULL, TableName TEXT NOT NULL, "
           "Columns TEXT NOT NULL, Name TEXT NOT NULL, PRIMARY KEY (ForeignTable, TableName, Columns))");
    Statement st(mDb,
                 "INSERT OR REPLACE INTO QvRelationNames (ForeignTable, TableName, Columns, Name) "
                 "VALUES (?, ?, ?, ?)",
                 Source);
    st.bind(1, r.foreignTable).bind(2, r.table).bind(3, r.columns).bind(4, r.name);
    st.step();
}

} // namespace qv::engine
