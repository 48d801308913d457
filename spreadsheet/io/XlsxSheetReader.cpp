// See XlsxSheetReader.h. Protection is restored last, after the filter and the formats that a
// protected sheet would refuse. Shared formulas keep only their cached values on the cells
// that borrow the formula: translating a formula to another cell needs a formula parser.
#include "spreadsheet/io/XlsxSheetReader.h"

#include "platform/TextUtil.h"
#include "platform/Utf8.h"
#include "spreadsheet/io/OoxmlXml.h"
#include "spreadsheet/io/XlsxStylesReader.h"
#include "spreadsheet/io/ZipPackageReader.h"
#include "spreadsheet/model/CellAddress.h"
#include "spreadsheet/model/Worksheet.h"

#include <cmath>
#include <cstdlib>
#include <pugixml.hpp>

namespace qv::sheet {

namespace {
using X = OoxmlXml;
constexpr std::uint64_t BytesPerCell = 13; // kind + payload + style, see ColumnStore

long parseLong(const char* s, bool& ok) {
    char* end = nullptr;
    long v = std::strtol(s, &end, 10);
    ok = end && end != s && *end == 0;
    return v;
}

// "AB12" -> row 12, column 28; false when it is not a cell inside the sheet.
bool cellRef(const char* ref, long& row, long& col) {
    std::size_t i = 0;
    col = 0;
    while (ref[i] >= 'A' && ref[i] <= 'Z' && i < 4)
        col = col * 26 + (ref[i++] - 'A' + 1);
    if (i == 0 || i > 3) return false;
    bool ok = false;
    row = parseLong(ref + i, ok);
    return ok && row >= 1 && row <= MaxRow && col >= 1 && col <= MaxColumn;
}

int indexOf(const char* const* names, int count, const std::string& value, int absent) {
    for (int i = 0; i < count; ++i)
        if (value == names[i]) return i;
    return absent;
}

class SheetLoader {
  public:
    SheetLoader(ZipPackageReader& zip, const std::string& part, Worksheet& sheet, SheetReadContext& ctx)
        : mZip(zip), mPart(part), mSheet(sheet), mCells(sheet.data()), mCtx(ctx) {}

    void run() {
        pugi::xml_document doc;
        if (!mZip.readXml(mPart, doc)) mZip.fail("the worksheet part " + mPart + " is missing");
        pugi::xml_node ws = X::child(doc, "worksheet");
        if (!ws) mZip.fail("the part " + mPart + " is not a worksheet");
        views(X::child(ws, "sheetViews"));
        columns(X::child(ws, "cols"));
        data(X::child(ws, "sheetData"));
        if (pugi::xml_node f = X::child(ws, "autoFilter")) {
            auto areas = CellAddress::parseA1(X::attr(f, "ref").value());
            if (!areas || areas->size() != 1)
                bad("its filter range '" + std::string(X::attr(f, "ref").value()) + "' is not valid");
            mSheet.startAutoFilter(areas->front());
        }
        validations(X::child(ws, "dataValidations"));
        comments();
        protection(X::child(ws, "sheetProtection"));
    }

  private:
    [[noreturn]] void bad(const std::string& what) const {
        mZip.fail("the worksheet " + mPart + " is damaged: " + what);
    }

    void views(const pugi::xml_node& views) {
        pugi::xml_node v = X::child(views, "sheetView");
        if (!v) return;
        mSheet.setDisplayGridlines(X::flag(v, "showGridLines", true));
        mSheet.setDisplayHeadings(X::flag(v, "showRowColHeaders", true));
        mSheet.setDisplayZeros(X::flag(v, "showZeros", true));
        pugi::xml_node pane = X::child(v, "pane");
        std::string state = X::attr(pane, "state").value();
        if (!pane || (state != "frozen" && state != "frozenSplit")) return;
        double x = X::attr(pane, "xSplit").as_double(0), y = X::attr(pane, "ySplit").as_double(0);
        if (!(x >= 0 && x < MaxColumn && y >= 0 && y < MaxRow)) bad("its frozen panes are outside the sheet");
        mSheet.freezePanes(static_cast<long>(y) + 1, static_cast<long>(x) + 1);
    }

    void columns(const pugi::xml_node& cols) {
        for (pugi::xml_node c : cols.children()) {
            if (!X::is(c, "col")) continue;
            long min = X::attr(c, "min").as_int(0), max = X::attr(c, "max").as_int(0);
            if (min < 1 || max < min || max > MaxColumn) bad("a column range is outside the sheet");
            bool custom = X::flag(c, "customWidth", false);
            bool hidden = X::flag(c, "hidden", false);
            double fileWidth = X::attr(c, "width").as_double(-1);
            std::uint32_t style = X::attr(c, "style") ? mCtx.styles.style(X::attr(c, "style").as_uint(0)) : 0;
            if (!custom && !hidden && style == 0) continue;
            // The file's width counts the cell padding (5 px at 7 px a digit); the model keeps characters.
            double width = -1;
            if (custom && fileWidth > 0) width = std::round((fileWidth - 5.0 / 7.0) * 100.0) / 100.0;
            if (width == 0) width = -1;
            for (long i = min; i <= max; ++i) {
                ColumnStore& col = mCells.column(i);
                if (custom) col.width = width;
                col.hidden = hidden;
                if (style != 0) col.defaultStyle = style;
            }
        }
    }

    void reserve(long row, long col) {
        const ColumnStore* existing = mCells.findColumn(col);
        long length = existing ? existing->length() : 0;
        if (row <= length) return;
        mCtx.cellBytes += static_cast<std::uint64_t>(row - length) * BytesPerCell;
        if (mCtx.cellBytes > mCtx.maxCellBytes)
            mZip.fail("the sheets are too large to open (their cells would need more than " +
                      std::to_string(mCtx.maxCellBytes >> 20) + " MB of memory)");
        mCells.column(col).ensure(row);
    }

    void data(const pugi::xml_node& sheetData) {
        long row = 0;
        for (pugi::xml_node r : sheetData.children()) {
            if (!X::is(r, "row")) continue;
            if (pugi::xml_attribute ra = X::attr(r, "r")) {
                bool ok = false;
                row = parseLong(ra.value(), ok);
                if (!ok || row < 1 || row > MaxRow)
                    bad("row number '" + std::string(ra.value()) + "' is outside the sheet");
            } else {
                ++row;
                if (row > MaxRow) bad("it has more rows than a sheet holds");
            }
            if (X::flag(r, "hidden", false)) mCells.setRowHidden(row, row, true);
            long col = 0;
            for (pugi::xml_node c : r.children()) {
                if (!X::is(c, "c")) continue;
                long cellRow = row;
                if (pugi::xml_attribute ref = X::attr(c, "r")) {
                    if (!cellRef(ref.value(), cellRow, col))
                        bad("cell reference '" + std::string(ref.value()) + "' is not valid");
                } else if (++col > MaxColumn) {
                    bad("a row has more cells than a sheet holds");
                }
                cell(c, cellRow, col);
            }
        }
    }

    void cell(const pugi::xml_node& c, long row, long col) {
        std::size_t xf = X::attr(c, "s").as_uint(0);
        std::uint32_t style = mCtx.styles.style(xf);
        std::string type = X::attr(c, "t").value();
        pugi::xml_node v = X::child(c, "v");
        pugi::xml_node f = X::child(c, "f");
        std::string formula = f ? f.text().get() : "";
        Variant value;
        const char* text = v.text().get();
        if (type == "s") {
            if (v) {
                bool ok = false;
                long i = parseLong(text, ok);
                if (!ok || i < 0 || static_cast<std::size_t>(i) >= mCtx.sharedStrings.size())
                    bad("a cell refers to shared text " + std::string(text) +
                        ", which the workbook does not have");
                value = mCtx.sharedStrings[static_cast<std::size_t>(i)];
            }
        } else if (type == "inlineStr") {
            value = X::text(X::child(c, "is"));
        } else if (type == "str") {
            if (v) value = X::unescape(text);
        } else if (type == "b") {
            if (v) value = std::string(text) == "1" || std::string(text) == "true";
        } else if (type == "e") {
            if (v)
                value =
                    ErrorValue{XlsxSheetReader::errorCode(text) ? XlsxSheetReader::errorCode(text) : 2015};
        } else if (type == "d") {
            double ole = 0;
            if (v && !XlsxSheetReader::oleFromIso(text, ole))
                bad("'" + std::string(text) + "' is not a date");
            if (v) value = OleDate{ole};
        } else if (v && *text) {
            char* end = nullptr;
            double d = std::strtod(text, &end);
            if (!end || *end || !std::isfinite(d)) bad("'" + std::string(text) + "' is not a number");
            if (mCtx.styles.isDate(xf))
                value = OleDate{XlsxSheetReader::oleFromSerial(d, mCtx.date1904)};
            else
                value = d;
        }
        if (value.isString() && Utf8::codePoints(value.str()) > 32767)
            bad("cell " + CellAddress::columnLetters(col) + std::to_string(row) +
                " holds a text longer than the 32767 characters a cell can hold");
        if (value.isEmpty() && style == 0 && formula.empty()) return;
        reserve(row, col);
        if (!formula.empty()) mCells.setFormula(row, col, "=" + formula);
        CellKind kind;
        std::uint64_t payload;
        ColumnStore& store = mCells.column(col);
        if (!value.isEmpty() && mCells.encode(value, kind, payload)) store.set(row, kind, payload);
        if (style != 0) store.setStyle(row, style);
    }

    void validations(const pugi::xml_node& list) {
        static const char* const types[] = {"none", "whole", "decimal",    "list",
                                            "date", "time",  "textLength", "custom"};
        static const char* const ops[] = {
            "between",  "notBetween",         "equal",          "notEqual", "greaterThan",
            "lessThan", "greaterThanOrEqual", "lessThanOrEqual"};
        static const char* const alerts[] = {"stop", "warning", "information"};
        for (pugi::xml_node dv : list.children()) {
            if (!X::is(dv, "dataValidation")) continue;
            ValidationRule rule;
            rule.type = indexOf(types, 8, X::attr(dv, "type").value(), 0);
            rule.op = indexOf(ops, 8, X::attr(dv, "operator").value(), 0) + 1;
            rule.alert = indexOf(alerts, 3, X::attr(dv, "errorStyle").value(), 0) + 1;
            rule.ignoreBlank = X::flag(dv, "allowBlank", false);
            rule.inCellDropdown = !X::flag(dv, "showDropDown", false);
            rule.showInput = X::flag(dv, "showInputMessage", false);
            rule.showError = X::flag(dv, "showErrorMessage", false);
            rule.errorTitle = X::attr(dv, "errorTitle").value();
            rule.errorMessage = X::attr(dv, "error").value();
            rule.inputTitle = X::attr(dv, "promptTitle").value();
            rule.inputMessage = X::attr(dv, "prompt").value();
            rule.formula1 = modelFormula(rule.type, X::child(dv, "formula1").text().get());
            rule.formula2 = modelFormula(rule.type, X::child(dv, "formula2").text().get());
            std::string sqref = X::attr(dv, "sqref").value();
            for (char& ch : sqref)
                if (ch == ' ') ch = ',';
            auto areas = CellAddress::parseA1(sqref);
            if (!areas || areas->empty()) bad("a validation covers '" + sqref + "', which is not a range");
            rule.areas = *areas;
            mSheet.validations().add(std::move(rule));
        }
    }

    // The file keeps formulas without '=' and literal lists quoted; the model keeps a formula
    // with '=' and a literal list bare, as code passes them to Validation.Add.
    static std::string modelFormula(int type, std::string f) {
        if (f.empty()) return f;
        if (type == 3 && f.size() >= 2 && f.front() == '"' && f.back() == '"') {
            std::string out;
            for (std::size_t i = 1; i + 1 < f.size(); ++i) {
                out += f[i];
                if (f[i] == '"' && f[i + 1] == '"') ++i;
            }
            return out;
        }
        char* end = nullptr;
        std::strtod(f.c_str(), &end);
        if (type != 3 && type != 7 && end && *end == 0) return f; // a plain number stays one
        return "=" + f;
    }

    void comments() {
        for (const PackageRelationship& rel : mZip.relationships(mPart)) {
            if (rel.external || rel.type.size() < 9 ||
                rel.type.compare(rel.type.size() - 9, 9, "/comments") != 0)
                continue;
            pugi::xml_document doc;
            if (!mZip.readXml(rel.target, doc)) continue; // a dangling link loses nothing that exists
            pugi::xml_node root = X::child(doc, "comments");
            std::vector<std::string> authors;
            for (pugi::xml_node a : X::child(root, "authors").children())
                if (X::is(a, "author")) authors.push_back(a.text().get());
            for (pugi::xml_node c : X::child(root, "commentList").children()) {
                if (!X::is(c, "comment")) continue;
                long row = 0, col = 0;
                if (!cellRef(X::attr(c, "ref").value(), row, col))
                    bad("a comment is on a cell outside the sheet");
                auto data = std::make_shared<CommentData>();
                std::size_t author = X::attr(c, "authorId").as_uint(0);
                if (author < authors.size()) data->author = authors[author];
                data->text = X::text(X::child(c, "text"));
                mSheet.comments()[{row, col}] = std::move(data);
            }
        }
    }

    void protection(const pugi::xml_node& p) {
        if (!p || !X::flag(p, "sheet", false)) return;
        SheetProtection prot;
        prot.on = true;
        prot.passwordHash = X::attr(p, "password").value();
        // Only the legacy verifier can be checked; a sheet locked with the newer salted hash stays locked.
        if (prot.passwordHash.empty() && X::attr(p, "hashValue")) prot.passwordHash = "unverifiable";
        prot.allowFormattingColumns = !X::flag(p, "formatColumns", true);
        prot.allowFiltering = !X::flag(p, "autoFilter", true);
        if (X::flag(p, "selectUnlockedCells", false))
            mSheet.setEnableSelection(-4142);
        else if (X::flag(p, "selectLockedCells", false))
            mSheet.setEnableSelection(1);
        mSheet.restoreProtection(prot);
    }

    ZipPackageReader& mZip;
    std::string mPart;
    Worksheet& mSheet;
    SheetCells& mCells;
    SheetReadContext& mCtx;
};

long daysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}
} // namespace

void XlsxSheetReader::read(ZipPackageReader& zip, const std::string& part, Worksheet& sheet,
                           SheetReadContext& context) {
    SheetLoader(zip, part, sheet, context).run();
}

double XlsxSheetReader::oleFromSerial(double serial, bool date1904) {
    if (date1904) return serial + 1462;
    // The file counts a 29 February 1900 that OLE dates skip; before 1 March 1900 they differ by one.
    return serial >= 1 && serial < 61 ? serial + 1 : serial;
}

bool XlsxSheetReader::oleFromIso(const std::string& text, double& ole) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    double s = 0;
    int n = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf", &y, &mo, &d, &h, &mi, &s);
    if (n < 3 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 ||
        s >= 61)
        return false;
    ole = static_cast<double>(daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) -
                              daysFromCivil(1899, 12, 30)) +
          (h * 3600 + mi * 60 + s) / 86400.0;
    return true;
}

std::int32_t XlsxSheetReader::errorCode(const std::string& name) {
    static const std::pair<const char*, std::int32_t> table[] = {
        {"#NULL!", 2000}, {"#DIV/0!", 2007}, {"#VALUE!", 2015}, {"#REF!", 2023},
        {"#NAME?", 2029}, {"#NUM!", 2036},   {"#N/A", 2042}};
    for (const auto& [n, code] : table)
        if (name == n) return code;
    return 0;
}

} // namespace qv::sheet
