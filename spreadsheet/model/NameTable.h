// The workbook's defined names. A name keeps its reference as areas on a sheet (so inserted
// and deleted rows move it) and prints it back as R1C1 or A1; a reference whose cells were
// deleted reads "#REF!" and no longer resolves.
#pragma once

#include "spreadsheet/model/CellAddress.h"

#include <optional>
#include <string>
#include <vector>

namespace qv::sheet {

struct DefinedName {
    std::string name;
    std::string sheet;       // the sheet the reference is on
    std::vector<Rect> areas; // empty when the reference is broken (#REF!)
    bool visible = true;
};

class NameTable {
  public:
    // A valid name: starts with a letter, '_' or '\', then letters, digits, '_', '.' or '\',
    // at most 255 characters, and not a cell reference ("A1", "R1C1").
    static bool validName(const std::string& name);
    void set(DefinedName name); // replaces a name that exists (case-insensitive)
    bool remove(const std::string& name);
    const DefinedName* find(const std::string& name) const;
    const std::vector<DefinedName>& all() const { return mNames; }

    void renameSheet(const std::string& from, const std::string& to);
    void sheetDeleted(const std::string& sheet);
    void insertLines(const std::string& sheet, bool rows, long at, long count);
    void deleteLines(const std::string& sheet, bool rows, long first, long count);

    static std::string refersToR1C1(const DefinedName& n);
    static std::string refersToA1(const DefinedName& n); // without '=', absolute

  private:
    std::vector<DefinedName> mNames;
};

} // namespace qv::sheet
