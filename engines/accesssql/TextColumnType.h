// SQLite gives a column its affinity from the spelling of its declared type, and most Access
// words for text columns (MEMO, NOTE, STRING, HYPERLINK) spell none of INT, CHAR, CLOB, TEXT,
// BLOB, REAL, FLOA or DOUB: they get NUMERIC affinity, and SQLite itself then stores a typed
// '0099' as the number 99. Whatever writes a declared type for a text column (the dialect's
// CREATE/ALTER TABLE, the copy of an Access file) asks here for a spelling that keeps text as
// text and still reads back as the same Access type.
#pragma once

#include <string_view>

namespace qv::accesssql {

class TextColumnType {
  public:
    // The word to write instead of an Access text type word (case-insensitive, without its
    // length): "VARCHAR" for STRING, ALPHANUMERIC and VALUE, "LONGTEXT" for MEMO and NOTE,
    // "HYPERLINK TEXT" for HYPERLINK. Empty when the word already has text affinity or is no text
    // type, so the caller writes it as it is.
    static std::string_view replacementFor(std::string_view accessWord);
    // The declared type of a memo column as the product writes it.
    static std::string_view memo();
};

} // namespace qv::accesssql
