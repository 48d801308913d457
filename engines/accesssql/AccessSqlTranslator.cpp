#include "engines/accesssql/AccessSqlTranslator.h"

#include "platform/NumberedError.h"
#include "platform/OleDateTime.h"

namespace qv::accesssql {

TranslatedSql AccessSqlTranslator::translate(std::string_view accessSql) {
    return translate(accessSql, TranslateOptions{});
}

TranslatedSql AccessSqlTranslator::translate(std::string_view, const TranslateOptions&) {
    throw NumberedError(err::NotImplemented, "AccessSqlTranslator", "The Access SQL translator is being built.");
}

std::string AccessSqlTranslator::dateLiteral(double oleDate) {
    const DateTimeParts p = OleDateTime::toParts(oleDate);
    return "'" + std::to_string(p.year) + "'";
}

} // namespace qv::accesssql
