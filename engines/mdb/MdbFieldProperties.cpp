#include "engines/mdb/MdbFieldProperties.h"

#include "engines/sqlite/DaoProperty.h"
#include "platform/engine/DaoConstants.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace qv::engine {

namespace {

// Properties whose value is text even when it looks like a number ("0" as a Format, a
// DefaultValue of 1, a ColumnWidths list "0;1440").
constexpr std::array<std::string_view, 11> TextProperties{
    "Caption",        "Format",    "Description",   "InputMask",    "DefaultValue", "ValidationRule",
    "ValidationText", "RowSource", "RowSourceType", "ColumnWidths", "GUID"};

bool isText(std::string_view name) {
    for (auto t : TextProperties)
        if (t == name) return true;
    return false;
}

} // namespace

DaoPropertyPtr MdbFieldProperties::typed(const std::string& name, const std::string& value) {
    if (value.rfind("(binary data", 0) == 0) return nullptr;
    if (!isText(name)) {
        if (value == "yes" || value == "no")
            return std::make_shared<DaoProperty>(name, Variant(value == "yes"), dao::Boolean);
        long long n = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
        if (ec == std::errc() && end == value.data() + value.size() && !value.empty()) {
            if (name == "DecimalPlaces" && n >= 0 && n <= 255)
                return std::make_shared<DaoProperty>(name, Variant::byteValue(static_cast<std::uint8_t>(n)),
                                                     dao::Byte);
            if (n >= -32768 && n <= 32767)
                return std::make_shared<DaoProperty>(name, Variant::integer(static_cast<std::int16_t>(n)),
                                                     dao::Integer);
            if (n >= INT32_MIN && n <= INT32_MAX)
                return std::make_shared<DaoProperty>(name, Variant::longValue(static_cast<std::int32_t>(n)),
                                                     dao::Long);
        }
    }
    return std::make_shared<DaoProperty>(name, Variant(value), dao::Text);
}

std::vector<DaoPropertyPtr> MdbFieldProperties::properties(const std::map<std::string, std::string>& stored) {
    std::vector<DaoPropertyPtr> out;
    for (const auto& [name, value] : stored)
        if (auto p = typed(name, value)) out.push_back(std::move(p));
    return out;
}

DaoFieldPtr MdbFieldProperties::field(const MdbColumnInfo& column, long ordinal) {
    DaoFieldInfo f;
    f.name = column.name;
    f.type = column.type.mapped.daoType;
    f.size = column.type.mapped.size;
    f.attributes = column.autoIncrement ? dao::FieldAutoIncrement : 0;
    f.attributes |= column.type.mapped.daoType == dao::Text || column.type.mapped.daoType == dao::Memo
                        ? dao::FieldVariable
                        : dao::FieldFixed;
    f.ordinalPosition = ordinal;
    auto stored = [&](const char* name) {
        auto it = column.properties.find(name);
        return it == column.properties.end() ? std::string() : it->second;
    };
    f.required = stored("Required") == "yes";
    f.allowZeroLength = stored("AllowZeroLength") == "yes";
    f.defaultValue = stored("DefaultValue");
    const bool appendOnly = stored("AppendOnly") == "yes";

    auto add = [&](const std::string& name, Variant v, int type) {
        f.properties.push_back(std::make_shared<DaoProperty>(name, std::move(v), type));
    };
    add("Name", Variant(f.name), dao::Text);
    add("Type", Variant::integer(static_cast<std::int16_t>(f.type)), dao::Integer);
    add("Size", Variant::longValue(static_cast<std::int32_t>(f.size)), dao::Long);
    add("Attributes", Variant::longValue(static_cast<std::int32_t>(f.attributes)), dao::Long);
    add("OrdinalPosition", Variant::integer(static_cast<std::int16_t>(ordinal)), dao::Integer);
    add("Required", Variant(f.required), dao::Boolean);
    add("AllowZeroLength", Variant(f.allowZeroLength), dao::Boolean);
    add("DefaultValue", Variant(f.defaultValue), dao::Text);
    add("AppendOnly", Variant(appendOnly), dao::Boolean);
    for (const auto& [name, value] : column.properties) {
        auto p = typed(name, value);
        if (!p) continue;
        // C++20 lambdas cannot capture structured bindings in clang 14: compare through p.
        auto same = std::find_if(f.properties.begin(), f.properties.end(),
                                 [&](const DaoPropertyPtr& q) { return q->name() == p->name(); });
        if (same != f.properties.end())
            *same = std::move(p);
        else
            f.properties.push_back(std::move(p));
    }
    return std::make_shared<DaoField>(std::move(f));
}

} // namespace qv::engine
