#include "engines/mdb/MdbCatalogue.h"

#include "engines/mdb/MdbFieldProperties.h"
#include "engines/mdb/MdbTable.h"
#include "engines/sqlite/DaoIndex.h"
#include "engines/sqlite/DaoParameter.h"
#include "engines/sqlite/DaoQueryDef.h"
#include "engines/sqlite/DaoRelation.h"
#include "engines/sqlite/DaoTableDef.h"
#include "engines/sqlite/EngineErrors.h"
#include "platform/TextUtil.h"
#include "platform/engine/DaoConstants.h"

#include <glib.h>
// glib.h first: mdbtools.h relies on it.
#include <mdbtools.h>

#include <algorithm>
#include <filesystem>
#include <fmt/format.h>

namespace qv::engine {

namespace {

constexpr int TypeTable = 1;
constexpr int TypeOdbcLink = 4;
constexpr int TypeQuery = 5;
constexpr int TypeLinkedTable = 6;
constexpr long SystemFlags = static_cast<long>(0x80000002L);

std::size_t columnIndex(const MdbTable& t, const char* name) {
    for (std::size_t i = 0; i < t.columns().size(); ++i)
        if (t.columns()[i].name == name) return i;
    return static_cast<std::size_t>(-1);
}

std::string text(const std::vector<Variant>& row, std::size_t i) {
    return i < row.size() && !row[i].isNull() ? row[i].toString() : std::string();
}

long number(const std::vector<Variant>& row, std::size_t i) {
    return i < row.size() && !row[i].isNull() ? static_cast<long>(row[i].toInt64()) : 0;
}

// A linked table's Database is the path as its author saw it ("Z:\data\x.accdb"); look for a
// file of that name beside the linking file when the path itself is not present.
std::string locateLinkTarget(const std::string& stored, const std::string& linkingFile) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(stored, ec)) return stored;
    std::string leaf = stored;
    if (auto slash = leaf.find_last_of("\\/"); slash != std::string::npos) leaf = leaf.substr(slash + 1);
    auto beside = std::filesystem::path(linkingFile).parent_path() / leaf;
    if (!leaf.empty() && std::filesystem::is_regular_file(beside, ec)) return beside.string();
    return {};
}

} // namespace

std::unique_ptr<MdbCatalogue> MdbCatalogue::open(const std::string& path, const MdbFile::Options& options) {
    std::unique_ptr<MdbCatalogue> c(new MdbCatalogue(MdbFile::open(path, options)));
    MdbHandle* mdb = c->mFile->handle();
    // The catalogue table is always the definition on page 2. Its pages (with every object's
    // property map) must be in the file before libmdb parses them: on a cut file its property
    // parser can spin on what it finds instead.
    MdbCatalogEntry probe{};
    probe.mdb = mdb;
    probe.object_type = MDB_TABLE;
    probe.table_pg = 2;
    std::snprintf(probe.object_name, sizeof probe.object_name, "%s", "MSysObjects");
    MdbTableDef* objects = mdb_read_table(&probe);
    if (!objects) c->mFile->checkIntact();
    if (!objects)
        throw EngineErrors::make(
            err::UnrecognisedFormat, options.source,
            fmt::format("Unrecognized database format '{}': its catalogue is damaged.", path));
    try {
        c->mFile->checkDefinition(objects);
        c->mFile->checkPagesPresent(objects);
        if (!mdb_read_columns(objects))
            throw EngineErrors::make(
                err::UnrecognisedFormat, options.source,
                fmt::format("Unrecognized database format '{}': its catalogue's columns are damaged.", path));
        c->mFile->checkLongValues(objects);
    } catch (...) {
        mdb_free_tabledef(objects);
        throw;
    }
    mdb_free_tabledef(objects);
    if (!mdb_read_catalog(mdb, MDB_ANY)) {
        c->mFile->checkIntact();
        throw EngineErrors::make(err::UnrecognisedFormat, options.source,
                                 fmt::format("Unrecognized database format '{}': its catalogue cannot be "
                                             "read.",
                                             path));
    }
    c->mFile->checkIntact();
    c->readObjects();
    c->readRelations();
    c->readQueryRows();
    return c;
}

void MdbCatalogue::readObjects() {
    MdbTable objects(*mFile, "MSysObjects");
    const auto iId = columnIndex(objects, "Id");
    const auto iName = columnIndex(objects, "Name");
    const auto iType = columnIndex(objects, "Type");
    const auto iFlags = columnIndex(objects, "Flags");
    const auto iDatabase = columnIndex(objects, "Database");
    const auto iForeign = columnIndex(objects, "ForeignName");
    const auto iConnect = columnIndex(objects, "Connect");
    objects.readRows([&](const std::vector<Variant>& row) {
        MdbObjectInfo o;
        o.id = number(row, iId);
        o.name = text(row, iName);
        o.type = static_cast<int>(number(row, iType) & 0xffff);
        o.flags = number(row, iFlags);
        if (o.name.empty()) return true;
        if (o.type == TypeQuery) {
            mQueries.push_back(std::move(o));
            return true;
        }
        if (o.type != TypeTable && o.type != TypeLinkedTable && o.type != TypeOdbcLink) return true;
        o.database = text(row, iDatabase);
        o.foreignName = text(row, iForeign);
        o.connect = text(row, iConnect);
        const bool system = (o.flags & SystemFlags) != 0 || o.name.rfind("MSys", 0) == 0;
        // Complex-value tables (f_...) and leftovers of Access's clipboard (~TMP...) are hidden.
        const long kind = o.flags & 0x000f0000;
        const bool hidden =
            (o.flags & 0x8) != 0 || kind == 0x000a0000 || kind == 0x00030000 || o.name.rfind("~", 0) == 0;
        if (system)
            o.attributes |= dao::SystemObject;
        else if (hidden)
            o.attributes |= dao::HiddenObject;
        if (o.type != TypeTable) o.attributes |= dao::AttachedTable;
        if (o.type == TypeLinkedTable && o.connect.empty()) o.connect = ";DATABASE=" + o.database;
        mTables.push_back(std::move(o));
        return true;
    });
}

void MdbCatalogue::readRelations() {
    if (!findTable("MSysRelationships")) return;
    MdbTable rel(*mFile, "MSysRelationships");
    const auto iName = columnIndex(rel, "szRelationship");
    const auto iObject = columnIndex(rel, "szObject");
    const auto iColumn = columnIndex(rel, "szColumn");
    const auto iRef = columnIndex(rel, "szReferencedObject");
    const auto iRefColumn = columnIndex(rel, "szReferencedColumn");
    const auto iOrder = columnIndex(rel, "icolumn");
    const auto iGrbit = columnIndex(rel, "grbit");
    struct Part {
        long order;
        std::string referenced, referencing;
    };
    std::vector<std::pair<MdbRelationInfo, std::vector<Part>>> found;
    rel.readRows([&](const std::vector<Variant>& row) {
        const std::string name = text(row, iName);
        auto it = std::find_if(found.begin(), found.end(), [&](auto& f) { return f.first.name == name; });
        if (it == found.end()) {
            MdbRelationInfo r;
            r.name = name;
            r.table = text(row, iRef);
            r.foreignTable = text(row, iObject);
            r.attributes = number(row, iGrbit);
            found.emplace_back(std::move(r), std::vector<Part>{});
            it = std::prev(found.end());
        }
        it->second.push_back({number(row, iOrder), text(row, iRefColumn), text(row, iColumn)});
        return true;
    });
    for (auto& [r, parts] : found) {
        // Access keeps relations between its own system tables here too (MSysNavPane...).
        const MdbObjectInfo* one = findTable(r.table);
        const MdbObjectInfo* many = findTable(r.foreignTable);
        if ((one && (one->attributes & dao::SystemObject)) ||
            (many && (many->attributes & dao::SystemObject)))
            continue;
        std::stable_sort(parts.begin(), parts.end(),
                         [](const Part& a, const Part& b) { return a.order < b.order; });
        for (auto& p : parts)
            r.columns.emplace_back(p.referenced, p.referencing);
        mRelations.push_back(std::move(r));
    }
}

void MdbCatalogue::readQueryRows() {
    if (!findTable("MSysQueries")) return;
    MdbTable queries(*mFile, "MSysQueries");
    const auto iObject = columnIndex(queries, "ObjectId");
    const auto iAttribute = columnIndex(queries, "Attribute");
    const auto iOrder = columnIndex(queries, "Order");
    const auto iName1 = columnIndex(queries, "Name1");
    const auto iName2 = columnIndex(queries, "Name2");
    const auto iExpression = columnIndex(queries, "Expression");
    const auto iFlag = columnIndex(queries, "Flag");
    std::map<long, std::vector<std::pair<Binary, MdbQueryRow>>> found;
    queries.readRows([&](const std::vector<Variant>& row) {
        MdbQueryRow r;
        r.attribute = static_cast<int>(number(row, iAttribute));
        r.name1 = text(row, iName1);
        r.name2 = text(row, iName2);
        r.expression = text(row, iExpression);
        r.flag = number(row, iFlag);
        Binary order;
        if (iOrder < row.size() && row[iOrder].isBinary()) order = row[iOrder].bytes();
        found[number(row, iObject)].emplace_back(std::move(order), std::move(r));
        return true;
    });
    for (auto& [id, rows] : found) {
        std::stable_sort(rows.begin(), rows.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        auto& out = mQueryRows[id];
        for (auto& [order, r] : rows)
            out.push_back(std::move(r));
    }
}

bool MdbCatalogue::mentions(const std::string& sql, const std::string& name) {
    if (name.empty() || name.size() > sql.size()) return false;
    auto lower = [](std::string t) {
        for (auto& c : t)
            c = static_cast<char>(g_ascii_tolower(c));
        return t;
    };
    const std::string text = lower(sql);
    std::string doubled;
    for (char c : lower(name))
        doubled += c == '"' ? std::string("\"\"") : std::string(1, c);
    return text.find(lower(name)) != std::string::npos || text.find(doubled) != std::string::npos;
}

const std::vector<std::string>* MdbCatalogue::columnNames(const MdbObjectInfo& table) const {
    auto found = mColumnNames.find(table.name);
    if (found == mColumnNames.end()) {
        std::optional<std::vector<std::string>> names;
        try {
            std::vector<std::string> list;
            for (const auto& f : tableDef(table.name)->fields())
                list.push_back(TextUtil::lowerAscii(f->name()));
            names = std::move(list);
        } catch (const NumberedError&) {
            // An absent link target or a damaged definition: nothing is known of its columns.
        }
        found = mColumnNames.emplace(table.name, std::move(names)).first;
    }
    return found->second ? &*found->second : nullptr;
}

bool MdbCatalogue::knownNames(const std::string& sql, std::vector<std::string>& out, int depth) const {
    if (depth > 16) return false;
    for (const auto& t : mTables) {
        if ((t.attributes & dao::SystemObject) || !mentions(sql, t.name)) continue;
        const auto* columns = columnNames(t);
        if (!columns) return false;
        out.insert(out.end(), columns->begin(), columns->end());
    }
    for (const auto& q : mQueries) {
        if (!mentions(sql, q.name)) continue;
        auto rows = mQueryRows.find(q.id);
        if (rows == mQueryRows.end()) continue;
        try {
            const auto inner = MdbQueryDecoder::decode(q.name, rows->second, mFile->source(), q.flags);
            if (inner.sql == sql) continue;
            for (const auto& a : MdbQueryDecoder::aliases(inner.sql))
                out.push_back(TextUtil::lowerAscii(a));
            if (!knownNames(inner.sql, out, depth + 1)) return false;
        } catch (const NumberedError&) {
            return false;
        }
    }
    return true;
}

std::vector<DaoQueryDefPtr> MdbCatalogue::queryDefs() const {
    std::vector<DaoQueryDefPtr> out;
    std::vector<std::string> objects;
    for (const auto& t : mTables)
        objects.push_back(TextUtil::lowerAscii(t.name));
    for (const auto& q : mQueries)
        objects.push_back(TextUtil::lowerAscii(q.name));
    for (const auto& q : mQueries) {
        if (q.name.rfind("~", 0) == 0) continue;
        auto rows = mQueryRows.find(q.id);
        auto decoded = MdbQueryDecoder::decode(
            q.name, rows == mQueryRows.end() ? std::vector<MdbQueryRow>{} : rows->second, mFile->source(),
            q.flags);
        // Data definition and pass-through texts are not Access SQL over these tables.
        std::vector<std::string> known = objects;
        if (decoded.type != dao::QueryDDL && decoded.type != dao::QuerySQLPassThrough &&
            knownNames(decoded.sql, known, 0)) {
            MdbQueryDecoder::declarePrompts(decoded, decoded.sql, [&](const std::string& name) {
                return std::find(known.begin(), known.end(), TextUtil::lowerAscii(name)) != known.end();
            });
        }
        std::vector<DaoParameterPtr> parameters;
        for (const auto& p : decoded.parameters) {
            // Access keeps some declared names in their brackets ("[insert text please:]"); a
            // command binds a value by the name the statement declares, which has none.
            std::string name = p.name;
            if (name.size() > 2 && name.front() == '[' && name.find(']') == name.size() - 1)
                name = name.substr(1, name.size() - 2);
            parameters.push_back(std::make_shared<DaoParameter>(name, p.type, dao::ParamInput));
        }
        out.push_back(
            std::make_shared<DaoQueryDef>(q.name, decoded.type, decoded.sql, std::move(parameters)));
    }
    return out;
}

DaoQueryDefPtr MdbCatalogue::queryDef(const std::string& name) const {
    for (const auto& q : queryDefs())
        if (TextUtil::equalsIgnoreCase(q->name(), name)) return q;
    return nullptr;
}

const MdbObjectInfo* MdbCatalogue::findTable(const std::string& name) const {
    for (const auto& t : mTables)
        if (TextUtil::equalsIgnoreCase(t.name, name)) return &t;
    return nullptr;
}

DaoTableDefPtr MdbCatalogue::tableDef(const std::string& name) const {
    const MdbObjectInfo* info = findTable(name);
    if (!info)
        throw EngineErrors::make(err::UnknownObject, mFile->source(),
                                 fmt::format("The Microsoft Access database engine cannot find the input "
                                             "table or query '{}'.",
                                             name));
    if (info->type == TypeOdbcLink)
        throw EngineErrors::make(err::UnknownObject, mFile->source(),
                                 fmt::format("Table '{}' is linked to an ODBC data source ({}), which "
                                             "Quorvel cannot reach.",
                                             info->name, info->connect));
    if (info->type == TypeLinkedTable) {
        auto linked = MdbCatalogue::open(linkTarget(*info), {{}, mFile->source()});
        auto def = linked->tableDef(info->foreignName);
        return std::make_shared<DaoTableDef>(info->name, info->attributes, def->fields(), def->indexes(),
                                             def->properties());
    }
    MdbTable table(*mFile, info->name);
    std::vector<DaoFieldPtr> fields;
    long ordinal = 0;
    for (const auto& c : table.columns())
        fields.push_back(MdbFieldProperties::field(c, ordinal++));
    std::vector<DaoIndexPtr> indexes;
    for (const auto& x : table.indexes()) {
        std::vector<DaoFieldPtr> keyFields;
        for (const auto& k : x.columns) {
            DaoFieldInfo f;
            f.name = k;
            keyFields.push_back(std::make_shared<DaoField>(std::move(f)));
        }
        indexes.push_back(std::make_shared<DaoIndex>(x.name, x.primary, x.unique, std::move(keyFields)));
    }
    return std::make_shared<DaoTableDef>(info->name, info->attributes, std::move(fields), std::move(indexes),
                                         MdbFieldProperties::properties(table.properties()));
}

std::string MdbCatalogue::linkTarget(const MdbObjectInfo& table) const {
    const std::string target = locateLinkTarget(table.database, mFile->path());
    if (target.empty())
        throw EngineErrors::make(err::DatabaseFileNotFound, mFile->source(),
                                 fmt::format("Table '{}' is linked to table '{}' in '{}', which cannot be "
                                             "found.",
                                             table.name, table.foreignName, table.database));
    return target;
}

std::vector<DaoRelationPtr> MdbCatalogue::relationDefs() const {
    std::vector<DaoRelationPtr> out;
    for (const auto& r : mRelations) {
        std::vector<DaoFieldPtr> fields;
        for (const auto& [referenced, referencing] : r.columns) {
            DaoFieldInfo f;
            f.name = referenced;
            f.foreignName = referencing;
            fields.push_back(std::make_shared<DaoField>(std::move(f)));
        }
        out.push_back(
            std::make_shared<DaoRelation>(r.name, r.table, r.foreignTable, r.attributes, std::move(fields)));
    }
    return out;
}

} // namespace qv::engine
