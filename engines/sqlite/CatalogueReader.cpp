// Everything comes from SQLite's pragmas (table_info, index_list, index_info,
// foreign_key_list) plus the metadata tables; nothing is written. The pragmas are run as
// statements of their own (see Pragma), so encrypted databases are read the same way.
#include "engines/sqlite/CatalogueReader.h"

#include "engines/sqlite/DaoField.h"
#include "engines/sqlite/DaoIndex.h"
#include "engines/sqlite/DaoParameter.h"
#include "engines/sqlite/DaoProperty.h"
#include "engines/sqlite/DaoQueryDef.h"
#include "engines/sqlite/DaoRelation.h"
#include "engines/sqlite/DaoTableDef.h"
#include "engines/sqlite/MetadataStore.h"
#include "engines/sqlite/Pragma.h"
#include "engines/sqlite/QueryText.h"
#include "engines/sqlite/SqlDialect.h"
#include "engines/sqlite/Statement.h"
#include "engines/sqlite/TypeMapping.h"
#include "platform/TextUtil.h"
#include "platform/engine/DaoConstants.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <strings.h>

namespace qv::engine {

namespace {

const char* const Source = "DAO.Database";
constexpr long RelationUpdateCascade = 256;
constexpr long RelationDeleteCascade = 4096;

struct ColumnInfo {
    int cid = 0;
    std::string name, declared, defaultValue;
    bool notNull = false, hasDefault = false;
    int pk = 0;
};

std::vector<ColumnInfo> columnsOf(SqliteRef db, const std::string& table) {
    std::vector<ColumnInfo> out;
    Statement st(db, Pragma::about("table_info", table), Source);
    while (st.step()) {
        ColumnInfo c;
        c.cid = static_cast<int>(st.integer(Pragma::TableInfoCid));
        c.name = st.text(Pragma::TableInfoName);
        c.declared = st.text(Pragma::TableInfoType);
        c.notNull = st.integer(Pragma::TableInfoNotNull) != 0;
        c.hasDefault = !st.isNull(Pragma::TableInfoDefault);
        c.defaultValue = st.text(Pragma::TableInfoDefault);
        c.pk = static_cast<int>(st.integer(Pragma::TableInfoPk));
        out.push_back(std::move(c));
    }
    return out;
}

struct IndexInfo {
    std::string name, origin;
    bool unique = false;
    std::vector<std::string> columns; // key order
};

std::vector<IndexInfo> indexesOf(SqliteRef db, const std::string& table) {
    std::vector<std::pair<long long, IndexInfo>> bySeq;
    {
        Statement st(db, Pragma::about("index_list", table), Source);
        while (st.step())
            bySeq.push_back({st.integer(Pragma::IndexListSeq),
                             {st.text(Pragma::IndexListName),
                              st.text(Pragma::IndexListOrigin),
                              st.integer(Pragma::IndexListUnique) != 0,
                              {}}});
    }
    // Newest index last in the pragma's numbering; the catalogue lists them the other way round.
    std::stable_sort(bySeq.begin(), bySeq.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<IndexInfo> out;
    for (auto& [seq, ix] : bySeq)
        out.push_back(std::move(ix));
    for (auto& ix : out) {
        std::vector<std::pair<long long, std::string>> columns;
        Statement st(db, Pragma::about("index_info", ix.name), Source);
        while (st.step()) {
            if (!st.isNull(Pragma::IndexInfoName))
                columns.push_back({st.integer(Pragma::IndexInfoSeqno), st.text(Pragma::IndexInfoName)});
        }
        std::stable_sort(columns.begin(), columns.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& c : columns)
            ix.columns.push_back(std::move(c.second));
    }
    return out;
}

std::string tableSql(SqliteRef db, const std::string& table) {
    Statement st(db, "SELECT sql FROM sqlite_master WHERE type='table' AND name=?", Source);
    st.bind(1, table);
    return st.step() ? st.text(0) : std::string();
}

using PropertyMap = std::map<std::pair<std::string, std::string>, std::vector<StoredProperty>>;

PropertyMap propertiesByField(SqliteRef db, std::vector<std::string>* skipped) {
    PropertyMap map;
    for (auto& p : MetadataStore(db).properties(skipped)) {
        auto key = std::make_pair(TextUtil::upperAscii(p.table), TextUtil::upperAscii(p.field));
        map[key].push_back(std::move(p));
    }
    return map;
}

const StoredProperty* findStored(const std::vector<StoredProperty>* list, const char* name) {
    if (!list) return nullptr;
    for (const auto& p : *list) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

DaoFieldPtr makeField(const ColumnInfo& c, bool autoIncrement, const std::vector<StoredProperty>* stored) {
    const ColumnType t = TypeMapping::fromDeclared(c.declared);
    DaoFieldInfo f;
    f.name = c.name;
    f.type = t.daoType;
    const bool longData =
        t.daoType == dao::Memo || t.daoType == dao::LongBinary || t.daoType == dao::Attachment;
    f.size = longData ? 0 : t.size;
    const bool variable = t.daoType == dao::Text || longData || t.daoType == dao::Binary;
    f.attributes = dao::FieldUpdatable | (variable ? dao::FieldVariable : dao::FieldFixed);
    if (autoIncrement) f.attributes |= dao::FieldAutoIncrement;
    f.defaultValue = c.hasDefault ? SqlDialect::defaultForProduct(c.defaultValue) : std::string();
    f.required = c.notNull;
    f.allowZeroLength = t.daoType == dao::Text || t.daoType == dao::Memo;
    if (auto* azl = findStored(stored, "AllowZeroLength")) f.allowZeroLength = azl->value.toBool();
    f.ordinalPosition = c.cid;

    auto add = [&](const char* name, Variant v, int type) {
        if (!findStored(stored, name))
            f.properties.push_back(std::make_shared<DaoProperty>(name, std::move(v), type));
    };
    add("Name", Variant(f.name), dao::Text);
    add("Type", Variant::integer(static_cast<std::int16_t>(f.type)), dao::Integer);
    add("Size", Variant::longValue(static_cast<std::int32_t>(f.size)), dao::Long);
    add("Attributes", Variant::longValue(static_cast<std::int32_t>(f.attributes)), dao::Long);
    add("OrdinalPosition", Variant::integer(static_cast<std::int16_t>(f.ordinalPosition)), dao::Integer);
    add("Required", Variant(f.required), dao::Boolean);
    add("AllowZeroLength", Variant(f.allowZeroLength), dao::Boolean);
    add("DefaultValue", Variant(f.defaultValue), dao::Text);
    add("AppendOnly", Variant(false), dao::Boolean);
    if (stored) {
        for (const auto& p : *stored)
            f.properties.push_back(std::make_shared<DaoProperty>(p.name, p.value, p.type));
    }
    return std::make_shared<DaoField>(std::move(f));
}

// The SQL text of a table declares AUTOINCREMENT on its rowid alias, if anywhere.
bool declaresAutoIncrement(const std::string& sql) {
    return TextUtil::upperAscii(sql).find("AUTOINCREMENT") != std::string::npos;
}

} // namespace

bool CatalogueReader::isSystemTable(const std::string& name) {
    return strncasecmp(name.c_str(), "sqlite_", 7) == 0 || MetadataStore::isMetadataTable(name);
}

std::vector<std::string> CatalogueReader::tableNames(bool includeSystem) const {
    std::vector<std::string> out;
    Statement st(mDb, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name COLLATE NOCASE",
                 Source);
    while (st.step()) {
        auto name = st.text(0);
        if (includeSystem || !isSystemTable(name)) out.push_back(std::move(name));
    }
    return out;
}

std::vector<DaoTableDefPtr> CatalogueReader::tableDefs(std::vector<std::string>* skipped) const {
    std::vector<DaoTableDefPtr> out;
    const PropertyMap props = propertiesByField(mDb, skipped);
    for (const auto& table : tableNames(true)) {
        const auto columns = columnsOf(mDb, table);
        const auto indexes = indexesOf(mDb, table);
        const bool hasPkIndex =
            std::any_of(indexes.begin(), indexes.end(), [](const IndexInfo& i) { return i.origin == "pk"; });
        std::vector<const ColumnInfo*> pkColumns;
        for (const auto& c : columns) {
            if (c.pk > 0) pkColumns.push_back(&c);
        }
        std::sort(pkColumns.begin(), pkColumns.end(), [](auto* a, auto* b) { return a->pk < b->pk; });
        // A single INTEGER key of a rowid table is the rowid itself: numbered by the engine.
        const bool rowidAlias =
            !hasPkIndex && pkColumns.size() == 1 && TextUtil::upperAscii(pkColumns[0]->declared) == "INTEGER";
        const bool autoIncrement =
            rowidAlias || (pkColumns.size() == 1 && declaresAutoIncrement(tableSql(mDb, table)));

        std::vector<DaoFieldPtr> fields;
        for (const auto& c : columns) {
            auto it = props.find({TextUtil::upperAscii(table), TextUtil::upperAscii(c.name)});
            const bool isAuto = autoIncrement && pkColumns.size() == 1 && pkColumns[0] == &c;
            fields.push_back(makeField(c, isAuto, it == props.end() ? nullptr : &it->second));
        }
        auto fieldNamed = [&](const std::string& name) -> DaoFieldPtr {
            for (const auto& f : fields) {
                if (strcasecmp(f->name().c_str(), name.c_str()) == 0) return f;
            }
            return nullptr;
        };

        std::vector<DaoIndexPtr> daoIndexes;
        if (!hasPkIndex && !pkColumns.empty()) {
            std::vector<DaoFieldPtr> keyFields;
            for (auto* c : pkColumns)
                keyFields.push_back(fieldNamed(c->name));
            daoIndexes.push_back(std::make_shared<DaoIndex>("PrimaryKey", true, true, std::move(keyFields)));
        }
        for (const auto& ix : indexes) {
            std::vector<DaoFieldPtr> keyFields;
            for (const auto& col : ix.columns) {
                if (auto f = fieldNamed(col)) keyFields.push_back(f);
            }
            const bool primary = ix.origin == "pk";
            daoIndexes.push_back(std::make_shared<DaoIndex>(primary ? "PrimaryKey" : ix.name, primary,
                                                            ix.unique, std::move(keyFields)));
        }
        // The primary index comes first, as the model lists it.
        std::stable_partition(daoIndexes.begin(), daoIndexes.end(),
                              [](const DaoIndexPtr& i) { return i->primary(); });

        std::vector<DaoPropertyPtr> tableProps;
        tableProps.push_back(std::make_shared<DaoProperty>("Name", Variant(table), dao::Text));
        if (auto it = props.find({TextUtil::upperAscii(table), std::string()}); it != props.end()) {
            for (const auto& p : it->second)
                tableProps.push_back(std::make_shared<DaoProperty>(p.name, p.value, p.type));
        }
        const long attributes = isSystemTable(table) ? dao::SystemObject : 0;
        out.push_back(std::make_shared<DaoTableDef>(table, attributes, std::move(fields),
                                                    std::move(daoIndexes), std::move(tableProps)));
    }
    return out;
}

std::vector<DaoRelationPtr> CatalogueReader::relations() const {
    std::vector<DaoRelationPtr> out;
    std::map<std::string, std::string> storedNames; // "foreign|table|columns" -> name
    for (const auto& r : MetadataStore(mDb).relationNames())
        storedNames[TextUtil::upperAscii(r.foreignTable + "|" + r.table + "|" + r.columns)] = r.name;
    std::set<std::string> used;
    const auto allTables = tableNames(true);
    // REFERENCES clauses keep the spelling they were written with; callers compare exactly.
    auto actualTable = [&](const std::string& written) {
        for (const auto& t : allTables) {
            if (strcasecmp(t.c_str(), written.c_str()) == 0) return t;
        }
        return written;
    };
    auto actualColumn = [&](const std::vector<ColumnInfo>& cols, const std::string& written) {
        for (const auto& c : cols) {
            if (strcasecmp(c.name.c_str(), written.c_str()) == 0) return c.name;
        }
        return written;
    };
    for (const auto& foreignTable : tableNames(false)) {
        const auto foreignColumns = columnsOf(mDb, foreignTable);
        struct Pair {
            std::string from, to;
        };
        struct Key {
            std::string table;
            std::vector<Pair> pairs;
            long attributes = 0;
        };
        std::map<long long, Key> keys;
        // Rows come by key and, within a key, in column order.
        Statement st(mDb, Pragma::about("foreign_key_list", foreignTable), Source);
        while (st.step()) {
            auto& k = keys[st.integer(Pragma::ForeignKeyId)];
            k.table = actualTable(st.text(Pragma::ForeignKeyTable));
            k.pairs.push_back(
                {actualColumn(foreignColumns, st.text(Pragma::ForeignKeyFrom)),
                 st.isNull(Pragma::ForeignKeyTo) ? std::string() : st.text(Pragma::ForeignKeyTo)});
            if (TextUtil::upperAscii(st.text(Pragma::ForeignKeyOnUpdate)) == "CASCADE")
                k.attributes |= RelationUpdateCascade;
            if (TextUtil::upperAscii(st.text(Pragma::ForeignKeyOnDelete)) == "CASCADE")
                k.attributes |= RelationDeleteCascade;
        }
        // SQLite lists keys last-declared first; the declaration order reads better.
        for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
            Key& k = it->second;
            if (std::any_of(k.pairs.begin(), k.pairs.end(), [](const Pair& p) { return p.to.empty(); })) {
                // "REFERENCES T" without columns means T's primary key, in key order.
                auto cols = columnsOf(mDb, k.table);
                std::sort(cols.begin(), cols.end(), [](auto& a, auto& b) { return a.pk < b.pk; });
                std::size_t i = 0;
                for (const auto& c : cols) {
                    if (c.pk > 0 && i < k.pairs.size()) k.pairs[i++].to = c.name;
                }
            }
            const auto referencedColumns = columnsOf(mDb, k.table);
            for (auto& p : k.pairs)
                p.to = actualColumn(referencedColumns, p.to);
            std::string columns;
            for (const auto& p : k.pairs)
                columns += (columns.empty() ? "" : ",") + p.from;
            std::string name;
            if (auto s = storedNames.find(TextUtil::upperAscii(foreignTable + "|" + k.table + "|" + columns));
                s != storedNames.end()) {
                name = s->second;
            } else {
                name = k.table + foreignTable;
                std::string candidate = name;
                for (int n = 1; used.count(TextUtil::upperAscii(candidate)); ++n)
                    candidate = name + std::to_string(n);
                name = candidate;
            }
            used.insert(TextUtil::upperAscii(name));
            std::vector<DaoFieldPtr> fields;
            long pos = 0;
            for (const auto& p : k.pairs) {
                DaoFieldInfo f;
                f.name = p.to;
                f.foreignName = p.from;
                f.ordinalPosition = pos++;
                fields.push_back(std::make_shared<DaoField>(std::move(f)));
            }
            out.push_back(
                std::make_shared<DaoRelation>(name, k.table, foreignTable, k.attributes, std::move(fields)));
        }
    }
    return out;
}

std::string CatalogueReader::viewBody(const std::string& sql) {
    // Skip CREATE [TEMP] VIEW [IF NOT EXISTS] name [(columns)] and the AS after it.
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i])))
            ++i;
    };
    auto skipToken = [&] {
        skipBlanks();
        if (i >= sql.size()) return std::string();
        const char c = sql[i];
        std::size_t start = i;
        if (c == '"' || c == '`' || c == '[' || c == '\'') {
            // SQLite doubles a quote inside quotes; inside brackets it knows no escape.
            const char close = c == '[' ? ']' : c;
            auto e = sql.find(close, i + 1);
            while (close != ']' && e != std::string::npos && e + 1 < sql.size() && sql[e + 1] == close)
                e = sql.find(close, e + 2);
            i = e == std::string::npos ? sql.size() : e + 1;
        } else if (c == '(') {
            int depth = 0;
            for (; i < sql.size(); ++i) {
                if (sql[i] == '(') ++depth;
                if (sql[i] == ')' && --depth == 0) {
                    ++i;
                    break;
                }
            }
        } else if (c == '.') {
            ++i;
        } else {
            while (i < sql.size() && !std::isspace(static_cast<unsigned char>(sql[i])) && sql[i] != '(' &&
                   sql[i] != '.')
                ++i;
        }
        return TextUtil::upperAscii(sql.substr(start, i - start));
    };
    for (std::string t = skipToken(); !t.empty(); t = skipToken()) {
        if (t == "AS") {
            skipBlanks();
            return sql.substr(i);
        }
    }
    return sql;
}

std::vector<DaoQueryDefPtr> CatalogueReader::queryDefs() const {
    struct Entry {
        std::string name, sql;
        int type;
    };
    std::vector<Entry> entries;
    {
        Statement st(mDb, "SELECT name, sql FROM sqlite_master WHERE type='view'", Source);
        while (st.step())
            entries.push_back({st.text(0), SqlDialect::toProductText(viewBody(st.text(1))), -1});
    }
    for (const auto& q : MetadataStore(mDb).queries()) {
        auto same = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
            return strcasecmp(e.name.c_str(), q.name.c_str()) == 0;
        });
        if (same != entries.end()) entries.erase(same);
        entries.push_back({q.name, q.sql, q.type});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return strcasecmp(a.name.c_str(), b.name.c_str()) < 0; });
    std::vector<DaoQueryDefPtr> out;
    for (auto& e : entries) {
        const QueryText text = QueryText::parse(e.sql);
        std::vector<DaoParameterPtr> params;
        for (const auto& p : text.parameters())
            params.push_back(std::make_shared<DaoParameter>(p.name, p.daoType, dao::ParamInput));
        out.push_back(std::make_shared<DaoQueryDef>(e.name, e.type >= 0 ? e.type : text.queryType(), e.sql,
                                                    std::move(params)));
    }
    return out;
}

} // namespace qv::engine
