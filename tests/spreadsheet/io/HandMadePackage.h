// Packages written part by part for the reader tests: what other producers write (shared
// strings, rich text, ribbon parts, the 1904 date system) and what damaged files contain.
#pragma once

#include "spreadsheet/io/ZipPackage.h"

#include <map>
#include <string>

namespace qv::sheet::test {

struct HandMadePackage {
    std::map<std::string, std::string> parts;

    // One sheet "Data" with `sheetData` inside <sheetData>, `extra` after it.
    static HandMadePackage minimal(const std::string& sheetData, const std::string& extra = "") {
        HandMadePackage p;
        p.parts["[Content_Types].xml"] =
            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
        p.parts["_rels/.rels"] =
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
        p.parts["xl/workbook.xml"] =
            "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
            "<sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
        p.parts["xl/_rels/workbook.xml.rels"] =
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>";
        p.parts["xl/worksheets/sheet1.xml"] =
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
            sheetData + "</sheetData>" + extra + "</worksheet>";
        return p;
    }

    void write(const std::string& path, int level = 6) const {
        ZipPackage zip(path, path, level);
        for (const auto& [name, text] : parts) {
            zip.beginPart(name);
            zip.write(text);
            zip.endPart();
        }
        zip.close();
    }
};

} // namespace qv::sheet::test
