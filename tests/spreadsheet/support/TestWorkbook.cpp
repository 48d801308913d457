// Helpers of the file-writer tests (scratch folders, reading files and zip archives back).
#include "tests/spreadsheet/support/TestWorkbook.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unzip.h>

namespace qv::sheet::test {

std::map<std::string, std::string> unzipAll(const std::string& path) {
    std::map<std::string, std::string> parts;
    unzFile z = unzOpen64(path.c_str());
    if (!z) throw std::runtime_error("not a zip archive: " + path);
    for (int rc = unzGoToFirstFile(z); rc == UNZ_OK; rc = unzGoToNextFile(z)) {
        char name[512];
        unz_file_info64 info;
        unzGetCurrentFileInfo64(z, &info, name, sizeof name, nullptr, 0, nullptr, 0);
        if (unzOpenCurrentFile(z) != UNZ_OK)
            throw std::runtime_error(std::string("cannot open part ") + name);
        std::string data;
        char buf[65536];
        int n;
        while ((n = unzReadCurrentFile(z, buf, sizeof buf)) > 0)
            data.append(buf, static_cast<std::size_t>(n));
        if (n < 0 || unzCloseCurrentFile(z) != UNZ_OK)
            throw std::runtime_error(std::string("corrupt part ") + name);
        parts[name] = std::move(data);
    }
    unzClose(z);
    return parts;
}

std::vector<std::string> unzipOrder(const std::string& path) {
    std::vector<std::string> names;
    unzFile z = unzOpen64(path.c_str());
    if (!z) throw std::runtime_error("not a zip archive: " + path);
    for (int rc = unzGoToFirstFile(z); rc == UNZ_OK; rc = unzGoToNextFile(z)) {
        char name[512];
        unz_file_info64 info;
        unzGetCurrentFileInfo64(z, &info, name, sizeof name, nullptr, 0, nullptr, 0);
        names.emplace_back(name);
    }
    unzClose(z);
    return names;
}

} // namespace qv::sheet::test

namespace qv::sheet::test {

TestWorkbook sampleWorkbook() {
    TestWorkbook b;
    CellStyle header;
    header.bold = true;
    header.fillColor = 0x0000FF; // red
    header.fontColor = 0xFFFFFF;
    header.horizontalAlignment = -4108;
    header.bottom = BorderLine{1, 2, 0xFF0000}; // blue
    std::uint32_t sHeader = b.addStyle(header);
    CellStyle money;
    money.numberFormat = "#,##0.00";
    money.locked = false;
    money.fillColor = 0xCCFFCC;
    std::uint32_t sMoney = b.addStyle(money);
    CellStyle ratio;
    ratio.numberFormat = "0.000";
    ratio.fontColor = 0x008000; // green
    std::uint32_t sRatio = b.addStyle(ratio);
    CellStyle date;
    date.numberFormat = "dd-mm-yyyy";
    std::uint32_t sDate = b.addStyle(date);

    TestSheet& s = b.addSheet("Orders");
    const char* captions[] = {"ID", "Name", "Amount", "Date", "Shipped", "Ratio"};
    for (long c = 1; c <= 6; ++c)
        s.set(1, c, Variant(captions[c - 1]), sHeader);
    s.set(2, 1, Variant(1));
    s.set(2, 2, Variant("Smith, J"));
    s.set(2, 3, Variant(12.5), sMoney);
    s.set(2, 4, Variant(OleDate{45000.5}));
    s.set(2, 5, Variant(true));
    s.set(2, 6, Variant(0.125), sRatio);
    s.set(3, 1, Variant(2));
    s.set(3, 2, Variant("Say \"hi\""));
    s.set(3, 3, Variant(1234.5), sMoney);
    s.set(3, 4, Variant(OleDate{45001}));
    s.set(3, 5, Variant(false));
    s.set(3, 6, Variant(2469.0), 0, "C3*2");
    s.set(4, 1, Variant(3));
    s.set(4, 2, Variant(" lead"));
    s.set(4, 3, Variant(-0.1), sMoney);
    s.set(4, 4, Variant(OleDate{45002.25}), sDate);
    s.set(4, 5, Variant(ErrorValue{2042}));
    s.set(4, 6, Variant(0.1 + 0.2), sRatio);
    s.info.columns = {{2, 30, false, 0}, {6, -1, true, 0}};
    s.info.hiddenRows = {4, 8};
    s.info.lastRow = 8;
    s.info.frozenRows = 1;
    s.info.autoFilterRef = "A1:F4";
    ExportValidation whole{"A2:A4", 1, 1, 1, "1", "100", "Invalid input", "Line1\rLine2", "", ""};
    ExportValidation list{"E2:E4", 3, 1, 1, "BoolList", "", "Invalid input", "Select a value from the list.",
                          "",      ""};
    ExportValidation literal{"B2:B4", 3, 2, 1, "Yes,No", "", "", "", "Pick", "Yes or no"};
    ExportValidation decimal{"C2:C4", 2, 3, 5, "0", "", "", "", "", ""};
    ExportValidation dates{"D2:D4", 4, 1, 7, "36526", "", "", "", "", ""};
    ExportValidation length{"B5", 6, 1, 8, "50", "", "", "", "", ""};
    ExportValidation custom{"F2:F4", 7, 1, 1, "ISNUMBER(F2)", "", "", "", "", ""};
    s.info.validations = {whole, list, literal, decimal, dates, length, custom};
    s.info.comments = {{1, 2, "Quorvel", "Customer name\nfrom the database"}};
    s.info.protection = ExportProtection{true, "CC1A", true, true, false, true};

    TestSheet& lists = b.addSheet("Lists");
    lists.info.visibility = 2;
    lists.set(1, 1, Variant("True"));
    lists.set(2, 1, Variant("False"));
    TestSheet& archive = b.addSheet("Archive");
    archive.info.visibility = 0;
    archive.set(1, 1, Variant("old"));

    b.nameList = {{"BoolList", "'Lists'!$A$1:$A$2", false}, {"Total", "Orders!$C$2:$C$4", false}};
    b.structure = true;
    b.structureHash = "83AF";
    b.bookTitle = "Quorvel test";
    b.properties = {{"Author", "Tester"}, {"Revision Number", "12"}, {"Database", "/tmp/x.mdb"}};
    return b;
}

TestWorkbook gapsWorkbook() {
    TestWorkbook b;
    TestSheet& s = b.addSheet("Gaps");
    CellStyle twoDecimals;
    twoDecimals.numberFormat = "0.00";
    const std::uint32_t styled = b.addStyle(twoDecimals);
    for (long c = 1; c <= 5; ++c)
        s.set(1, c, Variant(static_cast<double>(c)));
    s.set(2, 2, Variant("b2"));
    s.set(2, 3, Variant("c2"));
    s.set(2, 4, Variant::null()); // blank without a format: not written at all
    s.set(2, 5, Variant("e2"));
    s.set(3, 1, Variant::null(), styled);
    s.set(3, 2, Variant("b3"));
    s.set(5, 4, Variant("d5"));
    s.set(5, 5, Variant("e5"));
    return b;
}

} // namespace qv::sheet::test
