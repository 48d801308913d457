// Cells of a worksheet part where a reader places them: by their `r` reference when they have
// one, otherwise right of the cell before them in the row; a row without `r` follows the row
// before it. Tests look cells up by "B7" whether or not the writer spelt the reference out.
#pragma once

#include "spreadsheet/model/CellAddress.h"

#include <cctype>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace qv::sheet::test {

struct PlacedCell {
    long row = 0, column = 0;
    pugi::xml_node node;
    std::string ref() const { return CellAddress::columnLetters(column) + std::to_string(row); }
};

inline std::vector<PlacedCell> placedCells(const pugi::xml_node& doc) {
    std::vector<PlacedCell> cells;
    long row = 0;
    for (pugi::xml_node r : doc.child("worksheet").child("sheetData").children("row")) {
        row = r.attribute("r") ? r.attribute("r").as_int() : row + 1;
        long column = 0;
        for (pugi::xml_node c : r.children("c")) {
            std::string ref = c.attribute("r").value();
            std::size_t letters = 0;
            while (letters < ref.size() && std::isalpha(static_cast<unsigned char>(ref[letters])))
                ++letters;
            column = ref.empty() ? column + 1 : CellAddress::columnNumber(ref.substr(0, letters));
            // A reference names its row too; one that disagrees with its row would be a fault.
            long cellRow = ref.empty() ? row : std::stol(ref.substr(letters));
            cells.push_back({cellRow, column, c});
        }
    }
    return cells;
}

// The <c> element at `ref` ("B7"); an empty node when the part has no cell there.
inline pugi::xml_node placedCell(const pugi::xml_node& doc, const std::string& ref) {
    for (const PlacedCell& c : placedCells(doc))
        if (c.ref() == ref) return c.node;
    return {};
}

} // namespace qv::sheet::test
