#include "form/KeyValueTable.h"

#include "platform/NumberedError.h"
#include "platform/TextUtil.h"

namespace qv {

namespace {
const char* const Source = "clsForm";
}

void KeyValueTable::reset(std::vector<std::string> keyNames, std::size_t records) {
    mNames = std::move(keyNames);
    mColumns.clear();
    mColumns.resize(mNames.size());
    for (auto& column : mColumns)
        column.resize(records);
    mHasKeys.assign(records, 0);
}

void KeyValueTable::clear() {
    mNames.clear();
    mColumns.clear();
    mHasKeys.clear();
}

void KeyValueTable::resize(std::size_t records) {
    for (auto& column : mColumns)
        column.resize(records);
    mHasKeys.resize(records, 0);
}

KeyValueCollection KeyValueTable::operator[](std::size_t index) const {
    if (index >= mHasKeys.size()) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    KeyValueCollection out;
    if (!mHasKeys[index]) return out;
    for (std::size_t k = 0; k < mNames.size(); ++k)
        out.Add(mNames[k], mColumns[k][index]);
    return out;
}

void KeyValueTable::setValue(std::size_t index, std::size_t key, Variant value) {
    if (index >= mHasKeys.size() || key >= mColumns.size())
        throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    mColumns[key][index] = std::move(value);
    mHasKeys[index] = 1;
}

void KeyValueTable::set(std::size_t index, const KeyValueCollection& values) {
    if (index >= mHasKeys.size()) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    if (values.empty()) {
        for (auto& column : mColumns)
            column[index] = Variant();
        mHasKeys[index] = 0;
        return;
    }
    if (mNames.empty()) {
        std::vector<std::string> names;
        for (std::size_t k = 1; k <= values.Count(); ++k)
            names.push_back(values.Key(k));
        mNames = std::move(names);
        mColumns.assign(mNames.size(), std::vector<Variant>(mHasKeys.size()));
    }
    bool same = values.Count() == mNames.size();
    for (std::size_t k = 0; same && k < mNames.size(); ++k)
        same = TextUtil::equalsIgnoreCase(values.Key(k + 1), mNames[k]);
    if (!same)
        throw NumberedError(err::InvalidProcedureCall, Source,
                            "The key values do not name the table's key columns.");
    for (std::size_t k = 0; k < mNames.size(); ++k)
        mColumns[k][index] = values.Item(k + 1);
    mHasKeys[index] = 1;
}

} // namespace qv
