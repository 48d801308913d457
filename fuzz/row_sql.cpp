// Cell contents as a person or a paste leaves them, turned into SQL literals for every column
// type. Whatever the text, a value either is refused with a prepared message or becomes one
// literal that cannot end early: numbers only of number characters, text one quoted string
// with every inner quote doubled.
#include "datasource/DSContext.h"
#include "datasource/clsDSAccess.h"
#include "datasource/clsField.h"
#include "form/clsRowSql.h"
#include "platform/NumberedError.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr std::int32_t Types[] = {2, 3, 4, 5, 6, 7, 11, 14, 16, 17, 20, 21, 72, 131, 135, 202, 203};

bool wellQuoted(const std::string& s) {
    if (s.size() < 2 || s.front() != '\'' || s.back() != '\'') return false;
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] != '\'') continue;
        if (i + 2 >= s.size() || s[i + 1] != '\'') return false;
        ++i;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 4096) return 0;
    static qv::clsDSAccess ds{qv::DSContext{}};
    qv::clsField::Values v;
    v.Name = "F";
    v.TypeADO = Types[data[0] % (sizeof Types / sizeof Types[0])];
    v.Size = data[0] & 0x80 ? 8 : 0;
    qv::clsField field;
    field.Init(v, qv::KeyedCollection<std::string>{});
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string sql;
    try {
        sql = qv::clsRowSql::CellToSql(ds, field, qv::Variant(text));
    } catch (const qv::NumberedError& e) {
        if (e.number() != qv::err::PreparedMessage) std::abort();
        return 0;
    }
    if (sql == "NULL") return 0;
    switch (v.TypeADO) {
    case 202:
    case 203:
    case 72:
        if (!wellQuoted(sql)) std::abort();
        break;
    case 7:
    case 135:
        if (sql.size() < 2 || sql.front() != '#' || sql.back() != '#') std::abort();
        break;
    default:
        if (sql.find_first_not_of("0123456789.-+e") != std::string::npos) std::abort();
    }
    return 0;
}
