// Saved queries and typed SQL reach the translator unchecked. A numbered error (the statement is
// refused) is the one acceptable failure; anything else escaping is a fault.
#include "engines/accesssql/AccessSqlTranslator.h"
#include "platform/NumberedError.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    try {
        (void)qv::accesssql::AccessSqlTranslator::translate(sql);
    } catch (const qv::NumberedError&) {
    }
    // The same text as a field property's expression (default value, validation rule), and with
    // a column-type callback so the paths that ask about Yes/No and date columns run too.
    try {
        (void)qv::accesssql::AccessSqlTranslator::translateExpression(sql);
    } catch (const qv::NumberedError&) {
    }
    qv::accesssql::TranslateOptions options;
    options.isYesNoColumn = [](std::string_view, std::string_view column) { return column.size() % 3 == 0; };
    options.isTable = [](std::string_view name) { return name.find('.') != std::string_view::npos; };
    options.columnType = [](std::string_view, std::string_view column) {
        return column.size() % 4 == 1 ? qv::accesssql::ColumnType::Date : qv::accesssql::ColumnType::Unknown;
    };
    try {
        (void)qv::accesssql::AccessSqlTranslator::translate(sql, options);
    } catch (const qv::NumberedError&) {
    }
    return 0;
}
