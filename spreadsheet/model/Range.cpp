// Position, navigation, values and structure of a range. Values are written column by column
// straight into the column store; the sheet-change event is raised once per operation with the
// whole target.
#include "spreadsheet/model/Range.h"

#include "platform/NumberedError.h"
#include "platform/engine/IAdoRecordset.h"
#include "platform/engine/IColumnarRecordset.h"
#include "spreadsheet/formats/InputParser.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"

#include <algorithm>
#include <bit>
#include <tuple>

namespace qv::sheet {

namespace {
constexpr const char* Source = "Range";
[[noreturn]] void fail(const std::string& text) {
    throw NumberedError(err::ApplicationDefined, Source, text);
}
[[noreturn]] void failDefined() {
    fail("Application-defined or object-defined error");
}

// What a value written through code becomes in a cell: text is read the way the host reads
// typed input (so "12" is a number), with the invariant rules code runs under.
// Text given by code is read as the host reads an entry, except in a cell of the Text format,
// which keeps it as given ("0171" stays a code).
Variant cellValueOf(const Worksheet& sheet, long row, long column, const Variant& v) {
    if (!v.isString() || v.str().empty()) return v;
    if (!sheet.isTextFormatted(row, column)) return InputParser::parse(v.str(), Locale::English);
    return v.str().front() == '\'' ? Variant(v.str().substr(1)) : v;
}
} // namespace

Range::Range(std::shared_ptr<Worksheet> sheet, std::vector<Rect> areas)
    : mSheet(std::move(sheet)), mAreas(std::move(areas)) {
    if (mAreas.empty()) failDefined();
}

Worksheet& Range::ws() const {
    mSheet->book(); // raises when the sheet is gone
    return *mSheet;
}

RangePtr Range::make(std::vector<Rect> areas) const {
    return std::make_shared<Range>(mSheet, std::move(areas));
}

std::shared_ptr<IWorksheet> Range::worksheet() const {
    return mSheet;
}

long long Range::count() const {
    long long n = 0;
    for (const auto& a : mAreas)
        n += a.cells();
    return n;
}

std::string Range::address(bool rowAbsolute, bool columnAbsolute, xl::ReferenceStyle style) const {
    std::string out;
    for (const auto& a : mAreas) {
        if (!out.empty()) out += ',';
        out += style == xl::ReferenceStyle::R1C1 ? CellAddress::formatR1C1(a)
                                                 : CellAddress::formatA1(a, rowAbsolute, columnAbsolute);
    }
    return out;
}

RangePtr Range::offset(long rows, long columns) const {
    Rect r = mAreas[0];
    r.r1 += rows, r.r2 += rows, r.c1 += columns, r.c2 += columns;
    if (r.r1 < 1 || r.c1 < 1 || r.r2 > MaxRow || r.c2 > MaxColumn) failDefined();
    return make({r});
}

RangePtr Range::resize(long rows, long columns) const {
    if (rows < 1 || columns < 1) failDefined();
    Rect r{mAreas[0].r1, mAreas[0].c1, mAreas[0].r1 + rows - 1, mAreas[0].c1 + columns - 1};
    if (r.r2 > MaxRow || r.c2 > MaxColumn) failDefined();
    return make({r});
}

RangePtr Range::cell(long row, long column) const {
    long r = mAreas[0].r1 + row - 1, c = mAreas[0].c1 + column - 1;
    if (r < 1 || c < 1 || r > MaxRow || c > MaxColumn) failDefined();
    return make({Rect{r, c, r, c}});
}

RangePtr Range::rowAt(long index) const {
    long r = mAreas[0].r1 + index - 1;
    if (index < 1 || r > MaxRow) failDefined();
    return make({Rect{r, mAreas[0].c1, r, mAreas[0].c2}});
}

RangePtr Range::columnAt(long index) const {
    long c = mAreas[0].c1 + index - 1;
    if (index < 1 || c > MaxColumn) failDefined();
    return make({Rect{mAreas[0].r1, c, mAreas[0].r2, c}});
}

RangePtr Range::entireRow() const {
    std::vector<Rect> out;
    for (const auto& a : mAreas)
        out.push_back({a.r1, 1, a.r2, MaxColumn});
    return make(out);
}

RangePtr Range::entireColumn() const {
    std::vector<Rect> out;
    for (const auto& a : mAreas)
        out.push_back({1, a.c1, MaxRow, a.c2});
    return make(out);
}

std::vector<RangePtr> Range::areas() const {
    std::vector<RangePtr> out;
    for (const auto& a : mAreas)
        out.push_back(make({a}));
    return out;
}

RangePtr Range::endDown() const {
    const SheetCells& cells = ws().data();
    const long c = mAreas[0].c1;
    long r = mAreas[0].r1;
    const ColumnStore* col = cells.findColumn(c);
    const long stored = col ? col->length() : 0;
    auto filled = [&](long row) { return row <= stored && !cells.isEmpty(row, c); };
    if (filled(r) && filled(r + 1)) {
        while (r < MaxRow && filled(r + 1))
            ++r;
    } else {
        ++r;
        while (r <= stored && !filled(r))
            ++r;
        if (r > stored) r = MaxRow;
    }
    return make({Rect{r, c, r, c}});
}

Variant Range::value() const {
    return ws().data().value(mAreas[0].r1, mAreas[0].c1);
}

void Range::writeValue(const Variant& v, bool raise) {
    Worksheet& sheet = ws();
    sheet.checkCellsEditable(mAreas);
    if (v.isString() && !v.str().empty() && v.str()[0] == '=') {
        for (const auto& a : mAreas)
            for (long c = a.c1; c <= a.c2; ++c)
                for (long r = a.r1; r <= a.r2; ++r)
                    sheet.data().setFormula(r, c, v.str());
    } else {
        // Each area is read as its first cell takes it, as one entry fills a selection.
        for (const auto& a : mAreas)
            sheet.data().fill(a, cellValueOf(sheet, a.r1, a.c1, v));
    }
    sheet.changed();
    if (raise) sheet.raiseChange(mAreas);
}

void Range::setValue(const Variant& v) {
    writeValue(v, true);
}

VariantMatrix Range::values() const {
    const Rect& a = mAreas[0];
    const SheetCells& cells = ws().data();
    VariantMatrix m(a.rows(), a.cols());
    for (long c = a.c1; c <= a.c2; ++c) {
        const ColumnStore* col = cells.findColumn(c);
        if (!col) continue;
        long last = std::min(a.r2, col->length());
        for (long r = a.r1; r <= last; ++r)
            m.at(r - a.r1, c - a.c1) = cells.value(r, c);
    }
    return m;
}

void Range::setValues(const VariantMatrix& m) {
    if (m.rows() == 0 || m.cols() == 0) return;
    Worksheet& sheet = ws();
    Rect target{mAreas[0].r1, mAreas[0].c1, mAreas[0].r1 + static_cast<long>(m.rows()) - 1,
                mAreas[0].c1 + static_cast<long>(m.cols()) - 1};
    if (target.r2 > MaxRow || target.c2 > MaxColumn) failDefined();
    sheet.checkCellsEditable({target});
    SheetCells& cells = sheet.data();
    for (long c = target.c1; c <= target.c2; ++c) {
        ColumnStore& col = cells.column(c);
        col.ensure(target.r2);
        for (long r = target.r1; r <= target.r2; ++r) {
            const Variant& v = m.at(r - target.r1, c - target.c1);
            if (v.isString() && !v.str().empty() && v.str()[0] == '=') {
                cells.setFormula(r, c, v.str());
                continue;
            }
            cells.setValue(r, c, cellValueOf(sheet, r, c, v));
        }
    }
    sheet.changed();
    sheet.raiseChange({target});
}

std::string Range::formula() const {
    const SheetCells& cells = ws().data();
    if (const std::string* f = cells.formula(mAreas[0].r1, mAreas[0].c1)) return *f;
    Variant v = value();
    return v.isEmpty() ? std::string() : v.toString();
}

void Range::setFormula(const std::string& f) {
    writeValue(Variant(f), true);
}

std::string Range::text() const {
    return ws().displayText(mAreas[0].r1, mAreas[0].c1);
}

long Range::copyFromRecordset(IAdoRecordset& rs, long maxRows, long maxColumns) {
    Worksheet& sheet = ws();
    if (rs.eof()) return 0;
    const long long total = rs.recordCount();
    long long start = rs.absolutePosition() - 1;
    if (start < 0) start = 0;
    long long n = total - start;
    if (maxRows >= 0) n = std::min<long long>(n, maxRows);
    long fields = rs.fieldCount();
    if (maxColumns >= 0) fields = std::min(fields, maxColumns);
    const long r1 = mAreas[0].r1, c1 = mAreas[0].c1;
    n = std::min<long long>(n, MaxRow - r1 + 1);
    fields = std::min<long>(fields, MaxColumn - c1 + 1);
    if (n <= 0 || fields <= 0) return 0;
    const Rect target{r1, c1, r1 + static_cast<long>(n) - 1, c1 + fields - 1};
    sheet.checkCellsEditable({target});
    SheetCells& cells = sheet.data();
    // A record set with typed columns hands over plain numbers and text views a run at a time,
    // which spares a Variant (and a heap string for most texts) per cell.
    const auto* columnar = dynamic_cast<const IColumnarRecordset*>(&rs);
    constexpr std::size_t Run = 4096;
    std::vector<ColumnCell> run(columnar ? Run : 0);
    // A copy in parts (a caller reporting progress between them) sizes the columns for the whole
    // record set at its first part: grown part by part, every column's cells move again near the
    // end, a stretch of a few hundred milliseconds at a million rows with nobody asked.
    const long whole = static_cast<long>(std::min<long long>(total - start, MaxRow - r1 + 1));
    // The same for the string pool: a column of distinct texts takes an entry per cell, and a
    // table grown part by part would be moved (and its memory touched afresh) again and again.
    if (columnar) {
        std::size_t textColumns = 0;
        for (long f = 0; f < fields; ++f)
            if (columnar->sharedText(f).bytes) ++textColumns;
        if (textColumns) sheet.book().strings().reserve(textColumns * static_cast<std::size_t>(whole));
    }
    // Column by column: each column store is sized once and filled in one pass.
    for (long f = 0; f < fields; ++f) {
        ColumnStore& col = cells.column(c1 + f);
        if (whole > n) col.reserve(r1 + whole - 1);
        col.ensure(target.r2);
        ColumnTexts texts(sheet.book().strings(), static_cast<std::size_t>(n),
                          columnar ? columnar->sharedText(f) : ColumnTextStorage{});
        CellKind kind;
        std::uint64_t payload;
        if (columnar) {
            for (long long i0 = 0; i0 < n; i0 += static_cast<long long>(Run)) {
                const auto m =
                    static_cast<std::size_t>(std::min<long long>(static_cast<long long>(Run), n - i0));
                columnar->readColumn(f, start + i0, m, run.data());
                const long row0 = r1 + static_cast<long>(i0);
                for (std::size_t j = 0; j < m; ++j) {
                    const ColumnCell& cell = run[j];
                    if (!cells.encode(cell, kind, payload, texts)) {
                        Variant v = rs.valueAt(start + i0 + static_cast<long long>(j), f);
                        if (!cells.encode(v, kind, payload, &texts)) kind = CellKind::Empty, payload = 0;
                    }
                    col.set(row0 + static_cast<long>(j), kind, payload);
                }
            }
            continue;
        }
        for (long long i = 0; i < n; ++i) {
            Variant v = rs.valueAt(start + i, f);
            if (!cells.encode(v, kind, payload, &texts)) kind = CellKind::Empty, payload = 0;
            col.set(r1 + static_cast<long>(i), kind, payload);
        }
    }
    // The host leaves the record set after the last row it copied.
    for (long long i = 0; i < n && !rs.eof(); ++i)
        rs.moveNext();
    sheet.changed();
    sheet.raiseChange({target});
    return static_cast<long>(n);
}

void Range::transformNumbers(const std::function<double(double)>& f) {
    Worksheet& sheet = ws();
    SheetCells& cells = sheet.data();
    bool changed = false;
    for (const Rect& a : mAreas) {
        for (long c = a.c1; c <= std::min(a.c2, cells.columnCount()); ++c) {
            ColumnStore& col = cells.column(c);
            const long last = std::min(a.r2, col.length());
            for (long r = a.r1; r <= last; ++r) {
                if (col.kind(r) != CellKind::Number) continue;
                const double before = col.number(r);
                const double after = f(before);
                if (std::bit_cast<std::uint64_t>(after) == std::bit_cast<std::uint64_t>(before)) continue;
                // Checked at the first change, over every area, so a range with nothing to change
                // is never refused and a refused one is left as it was.
                if (!changed) sheet.checkCellsEditable(mAreas);
                changed = true;
                col.set(r, CellKind::Number, std::bit_cast<std::uint64_t>(after));
            }
        }
    }
    if (!changed) return;
    sheet.changed();
    sheet.raiseChange(mAreas);
}

void Range::clearContents() {
    Worksheet& sheet = ws();
    sheet.checkCellsEditable(mAreas);
    for (const auto& a : mAreas)
        sheet.data().clearValues(a);
    sheet.changed();
    sheet.raiseChange(mAreas);
}

void Range::clear() {
    Worksheet& sheet = ws();
    sheet.checkFormatAllowed(false);
    for (const auto& a : mAreas)
        sheet.data().clearValues(a);
    modifyStyle([](CellStyle& s) { s = CellStyle{}; });
    clearComments();
    sheet.validations().remove(mAreas);
    sheet.changed();
    sheet.raiseChange(mAreas);
}

void Range::deleteCells() {
    Worksheet& sheet = ws();
    for (const auto& a : mAreas)
        if (!a.entireRows() && !a.entireColumns())
            fail("Delete method of Range class failed: only entire rows or columns can be deleted");
    if (sheet.protection().on) fail("You cannot use this command on a protected sheet.");
    for (std::size_t i = 0; i < mAreas.size(); ++i)
        for (std::size_t j = i + 1; j < mAreas.size(); ++j)
            if (intersect(mAreas[i], mAreas[j]))
                fail("That command cannot be used on overlapping selections.");
    auto sorted = mAreas;
    // Delete from the bottom (right) up so earlier positions stay valid.
    std::sort(sorted.begin(), sorted.end(),
              [](const Rect& x, const Rect& y) { return std::tie(y.r1, y.c1) < std::tie(x.r1, x.c1); });
    for (const auto& a : sorted) {
        if (a.entireRows() && a.entireColumns()) {
            sheet.deleteLines(true, 1, MaxRow);
        } else if (a.entireRows()) {
            sheet.deleteLines(true, a.r1, a.rows());
        } else {
            sheet.deleteLines(false, a.c1, a.cols());
        }
    }
    sheet.raiseChange(mAreas);
}

void Range::insertCells() {
    Worksheet& sheet = ws();
    const Rect& a = mAreas[0];
    if (mAreas.size() != 1 || (!a.entireRows() && !a.entireColumns()) ||
        (a.entireRows() && a.entireColumns()))
        fail("Insert method of Range class failed: only entire rows or columns can be inserted");
    if (sheet.protection().on) fail("You cannot use this command on a protected sheet.");
    // Inserting must not push cells with content off the sheet.
    if (auto used = sheet.data().usedExtent()) {
        if (a.entireRows() && used->r2 + a.rows() > MaxRow && used->r2 >= a.r1)
            fail("To prevent possible loss of data, cells cannot be shifted off the worksheet.");
        if (a.entireColumns() && used->c2 + a.cols() > MaxColumn && used->c2 >= a.c1)
            fail("To prevent possible loss of data, cells cannot be shifted off the worksheet.");
    }
    if (a.entireRows())
        sheet.insertLines(true, a.r1, a.rows());
    else
        sheet.insertLines(false, a.c1, a.cols());
    sheet.raiseChange(mAreas);
}

void Range::select() {
    Worksheet& sheet = ws();
    if (!sheet.isActive()) fail("Select method of Range class failed");
    sheet.setSelection(mAreas, mAreas[0].r1, mAreas[0].c1);
    sheet.raiseSelectionChange();
}

void Range::activate() {
    Worksheet& sheet = ws();
    if (!sheet.isActive()) fail("Activate method of Range class failed");
    const long r = mAreas[0].r1, c = mAreas[0].c1;
    for (const auto& a : sheet.selectionAreas())
        if (a.contains(r, c)) {
            sheet.setSelection(sheet.selectionAreas(), r, c);
            return;
        }
    sheet.setSelection({Rect{r, c, r, c}}, r, c);
    sheet.raiseSelectionChange();
}

} // namespace qv::sheet
