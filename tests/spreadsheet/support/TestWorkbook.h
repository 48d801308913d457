// A workbook for the file-writer tests: the export view over plain containers, so a test
// states exactly which cells, styles and sheet features a file must carry.
#pragma once

#include "spreadsheet/io/IWorkbookExport.h"

#include "tests/support/TestFiles.h"
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qv::sheet::test {

struct TestSheet {
    ExportSheet info;
    std::map<std::pair<long, long>, ExportCell> cells;

    void set(long row, long column, Variant v, std::uint32_t style = 0, std::string formula = "") {
        cells[{row, column}] = ExportCell{std::move(v), style, std::move(formula)};
        info.lastRow = std::max(info.lastRow, row);
        info.lastColumn = std::max(info.lastColumn, column);
    }
};

class TestWorkbook : public IWorkbookExport {
  public:
    std::vector<CellStyle> styleList{CellStyle{}};
    std::vector<TestSheet> sheetList;
    std::vector<ExportName> nameList;
    bool structure = false;
    std::string structureHash;
    std::string bookTitle;
    std::vector<std::pair<std::string, std::string>> properties;

    TestSheet& addSheet(const std::string& name) {
        sheetList.emplace_back();
        sheetList.back().info.name = name;
        if (sheetList.size() == 1) sheetList.back().info.active = true;
        return sheetList.back();
    }
    std::uint32_t addStyle(const CellStyle& s) {
        styleList.push_back(s);
        return static_cast<std::uint32_t>(styleList.size() - 1);
    }

    std::vector<CellStyle> styles() const override { return styleList; }
    long sheetCount() const override { return static_cast<long>(sheetList.size()); }
    ExportSheet sheet(long index) const override {
        return sheetList.at(static_cast<std::size_t>(index)).info;
    }
    void forEachCell(long sheetIndex,
                     const std::function<void(long, long, const ExportCell&)>& visit) const override {
        for (const auto& [pos, cell] : sheetList.at(static_cast<std::size_t>(sheetIndex)).cells)
            visit(pos.first, pos.second, cell);
    }
    std::vector<ExportName> names() const override { return nameList; }
    bool structureProtected() const override { return structure; }
    std::string structurePasswordHash() const override { return structureHash; }
    std::string title() const override { return bookTitle; }
    std::vector<std::pair<std::string, std::string>> documentProperties() const override {
        return properties;
    }
};

using ::qv::test::TempDir;
inline std::string readFile(const std::string& path) {
    return ::qv::test::readAll(path);
}

// The parts of a zip archive by name, read back with minizip's unzip.
std::map<std::string, std::string> unzipAll(const std::string& path);
std::vector<std::string> unzipOrder(const std::string& path); // part names in archive order

} // namespace qv::sheet::test

namespace qv::sheet::test {
// Three sheets (visible "Orders", very hidden "Lists", hidden "Archive") with every feature
// the writers carry: typed values, styles, widths, hidden rows and columns, frozen panes, a
// filter, each kind of validation, a comment, protection, names and document properties.
TestWorkbook sampleWorkbook();
// One sheet "Gaps" whose rows start after column A, skip blank cells, hold a blank cell with a
// format of its own ("0.00", A3) and skip row 4:
//   1 2 3 4 5 / . b2 c2 . e2 / (blank) b3 / (none) / . . . d5 e5
TestWorkbook gapsWorkbook();
} // namespace qv::sheet::test
