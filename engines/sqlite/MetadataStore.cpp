// Property values keep their variant kind in a type column (catalogue type codes), so that a
// "ColumnHidden" stored as a boolean reads back as one.
#include "engines/sqlite/MetadataStore.h"

#include "engines/sqlite/SqlDialect.h"

#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/Statement.h"
#include "platform/OleDateTime.h"
#include "platform/engine/DaoConstants.h"

#include <cmath>
#include <fmt/format.h>
#include <limits>
#include <optional>

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

template <class T> std::optional<Variant> integral(const Variant& raw, Variant (*make)(T)) {
    const std::int64_t v = raw.toInt64();
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) return std::nullopt;
    return make(static_cast<T>(v));
}

// The stored value as its declared type; nullopt when it does not fit that type (a
// "ColumnWidth" of 70000 stored as an Integer), rather than a value wrapped into another one.
std::optional<Variant> typed(const Variant& raw, int type) {
    if (raw.isNull()) return raw;
    try {
        switch (type) {
        case dao::Boolean:
            return Variant(raw.toBool());
        case dao::Byte:
            return integral<std::uint8_t>(raw, [](std::uint8_t v) { return Variant::byteValue(v); });
        case dao::Integer:
            return integral<std::int16_t>(raw, [](std::int16_t v) { return Variant::integer(v); });
        case dao::Long:
            return integral<std::int32_t>(raw, [](std::int32_t v) { return Variant::longValue(v); });
        case dao::BigInt:
            return Variant(raw.toInt64());
        case dao::Single: {
            const double d = raw.toDouble();
            if (!std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max()) return std::nullopt;
            return Variant::single(static_cast<float>(d));
        }
        case dao::Double: {
            const double d = raw.toDouble();
            if (!std::isfinite(d)) return std::nullopt;
            return Variant(d);
        }
        case dao::Currency: {
            const double d = raw.toDouble();
            if (!(std::fabs(d) < 922337203685477.0)) return std::nullopt;
            return Variant(Currency::fromDouble(d));
        }
        case dao::Date: {
            const OleDate d = raw.toDate();
            if (!OleDateTime::isInDateRange(d.value)) return std::nullopt;
            return Variant(d);
        }
        case dao::LongBinary:
            return raw;
        default:
            return Variant(raw.toString());
        }
    } catch (const NumberedError&) {
        return std::nullopt; // text where a number or date belongs
    }
}

const char* typeName(int type) {
    switch (type) {
    case dao::Boolean:
        return "Yes/No";
    case dao::Byte:
        return "Byte";
    case dao::Integer:
        return "Integer";
    case dao::Long:
        return "Long Integer";
    case dao::BigInt:
        return "Large Number";
    case dao::Single:
        return "Single";
    case dao::Double:
        return "Double";
    case dao::Currency:
        return "Currency";
    case dao::Date:
        return "Date/Time";
    default:
        return "Text";
    }
}

std::string shown(const Variant& raw) {
    if (raw.isBinary()) return fmt::format("{} bytes", raw.bytes().size());
    std::string text = raw.toString();
    if (text.size() > 40) text = text.substr(0, 40) + "...";
    return text;
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
    Statement::execute(mDb, createSql, Source);
}

std::vector<StoredProperty> MetadataStore::properties(std::vector<std::string>* skipped) const {
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
        const Variant raw = st.value(3);
        auto value = typed(raw, p.type);
        if (!value) {
            // One bad row costs its own property, never the whole catalogue.
            if (skipped) {
                const std::string owner = p.field.empty() ? fmt::format("table '{}'", p.table)
                                                          : fmt::format("field '{}.{}'", p.table, p.field);
                skipped->push_back(fmt::format(
                    "The property '{}' of the {} holds '{}', which is not a valid {} value; the property is "
                    "ignored.",
                    p.name, owner, shown(raw), typeName(p.type)));
            }
            continue;
        }
        p.value = std::move(*value);
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
    SqlDialect::check(sql);
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
