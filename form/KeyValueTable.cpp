#include "form/KeyValueTable.h"

#include "platform/NumberedError.h"
#include "platform/TextUtil.h"

namespace qv {

namespace {
const char* const Source = "clsForm";

bool isWholeNumber(VarType t) {
    return t == VarType::Integer || t == VarType::Long || t == VarType::LongLong || t == VarType::Byte;
}

Variant wholeNumber(std::int64_t v, VarType t) {
    switch (t) {
    case VarType::Integer:
        return Variant::integer(static_cast<std::int16_t>(v));
    case VarType::Long:
        return Variant::longValue(static_cast<std::int32_t>(v));
    case VarType::Byte:
        return Variant::byteValue(static_cast<std::uint8_t>(v));
    default:
        return Variant(v);
    }
}
} // namespace

Variant KeyValueTable::valueOf(const Column& column, std::size_t index) const {
    return column.asValues ? column.values[index] : wholeNumber(column.integers[index], column.integerType);
}

void KeyValueTable::store(Column& column, std::size_t index, Variant value) {
    if (!column.asValues && value.isIntegral() && isWholeNumber(value.type()) &&
        (column.integerType == VarType::Empty || column.integerType == value.type())) {
        column.integerType = value.type();
        column.integers[index] = value.toInt64();
        return;
    }
    if (!column.asValues) {
        column.values.resize(column.integers.size());
        if (column.integerType != VarType::Empty)
            for (std::size_t i = 0; i < column.integers.size(); ++i)
                if (mHasKeys[i]) column.values[i] = wholeNumber(column.integers[i], column.integerType);
        column.integers = {};
        column.asValues = true;
    }
    column.values[index] = std::move(value);
}

void KeyValueTable::resizeColumn(Column& column, std::size_t records) {
    if (column.asValues)
        column.values.resize(records);
    else
        column.integers.resize(records, 0);
}

void KeyValueTable::reset(std::vector<std::string> keyNames, std::size_t records) {
    mNames = std::move(keyNames);
    mColumns.assign(mNames.size(), Column());
    for (auto& column : mColumns)
        resizeColumn(column, records);
    mHasKeys.assign(records, 0);
}

void KeyValueTable::clear() {
    mNames.clear();
    mColumns.clear();
    mHasKeys.clear();
}

void KeyValueTable::resize(std::size_t records) {
    for (auto& column : mColumns)
        resizeColumn(column, records);
    mHasKeys.resize(records, 0);
}

KeyValueCollection KeyValueTable::operator[](std::size_t index) const {
    if (index >= mHasKeys.size()) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    KeyValueCollection out;
    if (!mHasKeys[index]) return out;
    for (std::size_t k = 0; k < mNames.size(); ++k)
        out.Add(mNames[k], valueOf(mColumns[k], index));
    return out;
}

void KeyValueTable::setValue(std::size_t index, std::size_t key, Variant value) {
    if (index >= mHasKeys.size() || key >= mColumns.size())
        throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    store(mColumns[key], index, std::move(value));
    mHasKeys[index] = 1;
}

void KeyValueTable::set(std::size_t index, const KeyValueCollection& values) {
    if (index >= mHasKeys.size()) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    if (values.empty()) {
        for (auto& column : mColumns)
            if (column.asValues) column.values[index] = Variant();
        mHasKeys[index] = 0;
        return;
    }
    if (mNames.empty()) {
        std::vector<std::string> names;
        for (std::size_t k = 1; k <= values.Count(); ++k)
            names.push_back(values.Key(k));
        mNames = std::move(names);
        mColumns.assign(mNames.size(), Column());
        for (auto& column : mColumns)
            resizeColumn(column, mHasKeys.size());
    }
    bool same = values.Count() == mNames.size();
    for (std::size_t k = 0; same && k < mNames.size(); ++k)
        same = TextUtil::equalsIgnoreCase(values.Key(k + 1), mNames[k]);
    if (!same)
        throw NumberedError(err::InvalidProcedureCall, Source,
                            "The key values do not name the table's key columns.");
    for (std::size_t k = 0; k < mNames.size(); ++k)
        store(mColumns[k], index, values.Item(k + 1));
    mHasKeys[index] = 1;
}

} // namespace qv
