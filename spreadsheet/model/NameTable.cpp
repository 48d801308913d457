// Names are kept as areas so structure changes move them; "#REF!" marks a reference whose cells are gone.
#include "spreadsheet/model/NameTable.h"

#include "platform/TextUtil.h"

#include "spreadsheet/validation/ValidationSet.h"

#include <algorithm>
#include <cctype>

namespace qv::sheet {

bool NameTable::validName(const std::string& name) {
    if (name.empty() || name.size() > 255) return false;
    auto first = static_cast<unsigned char>(name[0]);
    if (!(std::isalpha(first) || first == '_' || first == '\\' || first >= 0x80)) return false;
    for (unsigned char ch : name)
        if (!(std::isalnum(ch) || ch == '_' || ch == '.' || ch == '\\' || ch >= 0x80)) return false;
    if (CellAddress::parseA1(name) || CellAddress::parseR1C1(name)) return false;
    if (name.size() == 1 && (first == 'r' || first == 'R' || first == 'c' || first == 'C')) return false;
    return true;
}

void NameTable::set(DefinedName name) {
    for (auto& n : mNames)
        if (TextUtil::equalsIgnoreCase(n.name, name.name)) {
            n = std::move(name);
            return;
        }
    mNames.push_back(std::move(name));
}

bool NameTable::remove(const std::string& name) {
    auto before = mNames.size();
    std::erase_if(mNames, [&](const DefinedName& n) { return TextUtil::equalsIgnoreCase(n.name, name); });
    return mNames.size() != before;
}

const DefinedName* NameTable::find(const std::string& name) const {
    for (const auto& n : mNames)
        if (TextUtil::equalsIgnoreCase(n.name, name)) return &n;
    return nullptr;
}

void NameTable::renameSheet(const std::string& from, const std::string& to) {
    for (auto& n : mNames)
        if (TextUtil::equalsIgnoreCase(n.sheet, from)) n.sheet = to;
}

void NameTable::sheetDeleted(const std::string& sheet) {
    for (auto& n : mNames)
        if (TextUtil::equalsIgnoreCase(n.sheet, sheet)) n.areas.clear();
}

void NameTable::insertLines(const std::string& sheet, bool rows, long at, long count) {
    for (auto& n : mNames) {
        if (!TextUtil::equalsIgnoreCase(n.sheet, sheet)) continue;
        for (auto& r : n.areas)
            shiftRectInsert(r, rows, at, count, false);
    }
}

void NameTable::deleteLines(const std::string& sheet, bool rows, long first, long count) {
    for (auto& n : mNames) {
        if (!TextUtil::equalsIgnoreCase(n.sheet, sheet) || n.areas.empty()) continue;
        std::vector<Rect> kept;
        bool lost = false;
        for (auto r : n.areas) {
            if (shiftRectDelete(r, rows, first, count))
                kept.push_back(r);
            else
                lost = true;
        }
        n.areas = lost ? std::vector<Rect>{} : kept;
    }
}

std::string NameTable::refersToR1C1(const DefinedName& n) {
    std::string out = "=" + CellAddress::quoteSheet(n.sheet) + "!";
    if (n.areas.empty()) return out + "#REF!";
    for (std::size_t i = 0; i < n.areas.size(); ++i) {
        if (i) out += "," + CellAddress::quoteSheet(n.sheet) + "!";
        out += CellAddress::formatR1C1(n.areas[i]);
    }
    return out;
}

std::string NameTable::refersToA1(const DefinedName& n) {
    std::string out = CellAddress::quoteSheet(n.sheet) + "!";
    if (n.areas.empty()) return out + "#REF!";
    for (std::size_t i = 0; i < n.areas.size(); ++i) {
        if (i) out += "," + CellAddress::quoteSheet(n.sheet) + "!";
        out += CellAddress::formatA1(n.areas[i]);
    }
    return out;
}

} // namespace qv::sheet
