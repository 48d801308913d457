// Formats, column layout, comments, validation and AutoFilter of a range. Writes go through
// StyleRemap over whole rectangles; reads visit each distinct style once per run of cells.
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Range.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"
#include "spreadsheet/validation/Validation.h"

#include "platform/NumberedError.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cmath>

namespace qv::sheet {

namespace {
constexpr const char* Source = "Range";
[[noreturn]] void fail(const std::string& text) {
    throw NumberedError(err::ApplicationDefined, Source, text);
}
constexpr long White = 0xFFFFFF;

} // namespace

void Range::forEachStyle(const std::function<bool(const CellStyle&)>& visit) const {
    Worksheet& sheet = ws();
    const SheetCells& cells = sheet.data();
    std::uint32_t last = InheritStyle;
    auto see = [&](std::uint32_t id) {
        if (id == last) return true;
        last = id;
        return visit(sheet.style(id));
    };
    for (const Rect& a : mAreas) {
        for (long c = a.c1; c <= a.c2; ++c) {
            const ColumnStore* col = cells.findColumn(c);
            const long stored = col ? std::min(a.r2, col->length()) : a.r1 - 1;
            for (long r = a.r1; r <= stored; ++r) {
                std::uint32_t s = col->style(r);
                if (!see(s != InheritStyle ? s : cells.effectiveStyle(r, c))) return;
            }
            if (stored < a.r2) {
                const long from = std::max(a.r1, stored + 1);
                const long lastStyled = std::min(a.r2, cells.rowStyleCount());
                long rowFormatted = 0;
                for (long r = from; r <= lastStyled; ++r) {
                    if (cells.rowStyle(r) == InheritStyle) continue;
                    ++rowFormatted;
                    if (!see(cells.rowStyle(r))) return;
                }
                // Rows without a format of their own show the column's or the sheet's.
                if (rowFormatted < a.r2 - from + 1 &&
                    !see(col && col->defaultStyle != InheritStyle ? col->defaultStyle : cells.sheetStyle()))
                    return;
            }
            // Columns past the stored ones all look alike: one visit covers them.
            if (!col && c > cells.columnCount()) break;
        }
    }
}

template <class T> Variant Range::readStyle(const std::function<T(const CellStyle&)>& get) const {
    std::optional<T> first;
    bool differ = false;
    forEachStyle([&](const CellStyle& s) {
        T v = get(s);
        if (!first)
            first = v;
        else if (!(v == *first))
            differ = true;
        return !differ;
    });
    if (differ || !first) return Variant::null();
    return Variant(*first);
}

void Range::modifyStyleIn(const Rect& r, const std::function<void(CellStyle&)>& change) {
    StyleRemap remap(ws().book().styles(), change);
    ws().data().modifyStyle(r, remap);
}

void Range::modifyStyle(const std::function<void(CellStyle&)>& change, bool columnFormat) {
    Worksheet& sheet = ws();
    sheet.checkFormatAllowed(columnFormat);
    StyleRemap remap(sheet.book().styles(), change);
    for (const auto& a : mAreas)
        sheet.data().modifyStyle(a, remap);
    sheet.changed();
}

Variant Range::locked() const {
    return readStyle<bool>([](const CellStyle& s) { return s.locked; });
}
void Range::setLocked(bool locked) {
    modifyStyle([locked](CellStyle& s) { s.locked = locked; });
}

Variant Range::fillColor() const {
    Variant v = readStyle<int>(
        [](const CellStyle& s) { return s.fillColor == NoColor ? static_cast<int>(White) : s.fillColor; });
    return v.isNull() ? v : Variant(static_cast<int>(v.toInt32()));
}
void Range::setFillColor(long oleColor) {
    if (oleColor < 0 || oleColor > 0xFFFFFF) fail("Unable to set the Color property of the Interior class");
    modifyStyle([oleColor](CellStyle& s) { s.fillColor = static_cast<std::int32_t>(oleColor); });
}

Variant Range::fillColorIndex() const {
    const Workbook& book = ws().book();
    return readStyle<int>([&book](const CellStyle& s) {
        return s.fillColor == NoColor ? xl::ColorNone : book.nearestPaletteIndex(s.fillColor);
    });
}
void Range::setFillColorIndex(int index) {
    std::int32_t color = NoColor;
    if (index >= 1 && index <= 56)
        color = static_cast<std::int32_t>(ws().book().paletteColor(index));
    else if (index != xl::ColorNone && index != 0)
        fail("Unable to set the ColorIndex property of the Interior class");
    modifyStyle([color](CellStyle& s) { s.fillColor = color; });
}

Variant Range::fontColor() const {
    return readStyle<int>([](const CellStyle& s) { return s.fontColor == NoColor ? 0 : s.fontColor; });
}
void Range::setFontColor(long oleColor) {
    if (oleColor < 0 || oleColor > 0xFFFFFF) fail("Unable to set the Color property of the Font class");
    modifyStyle([oleColor](CellStyle& s) { s.fontColor = static_cast<std::int32_t>(oleColor); });
}

Variant Range::fontColorIndex() const {
    const Workbook& book = ws().book();
    return readStyle<int>([&book](const CellStyle& s) {
        return s.fontColor == NoColor ? -4105 : book.nearestPaletteIndex(s.fontColor);
    });
}
void Range::setFontColorIndex(int index) {
    std::int32_t color = NoColor;
    if (index >= 1 && index <= 56)
        color = static_cast<std::int32_t>(ws().book().paletteColor(index));
    else if (index != -4105 && index != 0 && index != xl::ColorNone)
        fail("Unable to set the ColorIndex property of the Font class");
    modifyStyle([color](CellStyle& s) { s.fontColor = color; });
}

Variant Range::fontBold() const {
    return readStyle<bool>([](const CellStyle& s) { return s.bold; });
}
void Range::setFontBold(bool bold) {
    modifyStyle([bold](CellStyle& s) { s.bold = bold; });
}

std::string Range::numberFormat() const {
    Variant v = readStyle<std::string>([](const CellStyle& s) { return s.numberFormat; });
    return v.isNull() ? std::string() : v.str();
}
void Range::setNumberFormat(const std::string& format) {
    std::string f = format.empty() ? "General" : format;
    modifyStyle([&f](CellStyle& s) { s.numberFormat = f; });
}

void Range::setStyle(const std::string& builtinName) {
    if (builtinName == "Normal")
        modifyStyle([](CellStyle& s) { s = CellStyle{}; });
    else if (builtinName == "Comma")
        modifyStyle([](CellStyle& s) { s.numberFormat = "#,##0.00"; });
    else if (builtinName == "Percent")
        modifyStyle([](CellStyle& s) { s.numberFormat = "0%"; });
    else
        fail("Unable to set the Style property of the Range class: no style named '" + builtinName + "'");
}

int Range::horizontalAlignment() const {
    Variant v = readStyle<int>([](const CellStyle& s) { return static_cast<int>(s.horizontalAlignment); });
    return v.isNull() ? xl::AlignGeneral : v.toInt32();
}
void Range::setHorizontalAlignment(int alignment) {
    static const int known[] = {
        xl::AlignGeneral, xl::AlignLeft, xl::AlignCenter, xl::AlignRight, 5, 7, -4130, -4117};
    if (std::find(std::begin(known), std::end(known), alignment) == std::end(known))
        fail("Unable to set the HorizontalAlignment property of the Range class");
    modifyStyle([alignment](CellStyle& s) { s.horizontalAlignment = static_cast<std::int16_t>(alignment); });
}

void Range::setBorder(xl::BorderEdge edge, int lineStyle, int weight, long oleColor) {
    Worksheet& sheet = ws();
    sheet.checkFormatAllowed(false);
    BorderLine line;
    line.style = lineStyle == xl::LineStyleNone ? 0 : 1;
    line.weight = static_cast<std::int8_t>(weight);
    line.color = static_cast<std::int32_t>(oleColor);
    for (const Rect& a : mAreas) {
        switch (edge) {
        case xl::BorderEdge::Left:
            modifyStyleIn({a.r1, a.c1, a.r2, a.c1}, [&](CellStyle& s) { s.left = line; });
            break;
        case xl::BorderEdge::Right:
            modifyStyleIn({a.r1, a.c2, a.r2, a.c2}, [&](CellStyle& s) { s.right = line; });
            break;
        case xl::BorderEdge::Top:
            modifyStyleIn({a.r1, a.c1, a.r1, a.c2}, [&](CellStyle& s) { s.top = line; });
            break;
        case xl::BorderEdge::Bottom:
            modifyStyleIn({a.r2, a.c1, a.r2, a.c2}, [&](CellStyle& s) { s.bottom = line; });
            break;
        case xl::BorderEdge::InsideVertical:
            if (a.cols() < 2) break;
            modifyStyleIn({a.r1, a.c1, a.r2, a.c2 - 1}, [&](CellStyle& s) { s.right = line; });
            modifyStyleIn({a.r1, a.c1 + 1, a.r2, a.c2}, [&](CellStyle& s) { s.left = line; });
            break;
        case xl::BorderEdge::InsideHorizontal:
            if (a.rows() < 2) break;
            modifyStyleIn({a.r1, a.c1, a.r2 - 1, a.c2}, [&](CellStyle& s) { s.bottom = line; });
            modifyStyleIn({a.r1 + 1, a.c1, a.r2, a.c2}, [&](CellStyle& s) { s.top = line; });
            break;
        default:
            fail("Unable to set the LineStyle property of the Border class");
        }
    }
    sheet.changed();
}

double Range::columnWidth() const {
    const ColumnStore* col = ws().data().findColumn(mAreas[0].c1);
    if (col && col->hidden) return 0;
    return col && col->width >= 0 ? col->width : Worksheet::DefaultColumnWidth;
}

void Range::setColumnWidth(double width) {
    if (!(width >= 0 && width <= 255)) fail("Unable to set the ColumnWidth property of the Range class");
    Worksheet& sheet = ws();
    sheet.checkFormatAllowed(true);
    for (const auto& a : mAreas)
        for (long c = a.c1; c <= a.c2; ++c) {
            ColumnStore& col = sheet.data().column(c);
            col.width = width;
            col.hidden = width == 0;
        }
    sheet.changed();
}

bool Range::columnHidden() const {
    const ColumnStore* col = ws().data().findColumn(mAreas[0].c1);
    return col && col->hidden;
}

void Range::setColumnHidden(bool hidden) {
    Worksheet& sheet = ws();
    sheet.checkFormatAllowed(true);
    for (const auto& a : mAreas)
        for (long c = a.c1; c <= a.c2; ++c) {
            if (!hidden && !sheet.data().findColumn(c)) continue;
            ColumnStore& col = sheet.data().column(c);
            col.hidden = hidden;
            if (!hidden && col.width == 0) col.width = -1;
        }
    sheet.changed();
}

bool Range::rowHidden() const {
    return ws().data().rowHidden(mAreas[0].r1);
}

void Range::setRowHidden(bool hidden) {
    Worksheet& sheet = ws();
    sheet.checkFormatAllowed(false);
    for (const auto& a : mAreas)
        sheet.data().setRowHidden(a.r1, a.r2, hidden);
    sheet.changed();
}

void Range::autoFitColumns() {
    Worksheet& sheet = ws();
    sheet.checkFormatAllowed(true);
    const SheetCells& cells = sheet.data();
    for (const auto& a : mAreas)
        for (long c = a.c1; c <= a.c2; ++c) {
            const ColumnStore* col = cells.findColumn(c);
            if (!col) continue;
            const long last = std::min(a.r2, col->length());
            double widest = 0;
            const StringPool& texts = sheet.book().strings();
            for (long r = a.r1; r <= last; ++r) {
                const CellKind kind = col->kind(r);
                if (kind == CellKind::Empty) continue;
                // Text shows as it is stored; only numbers, dates and booleans need formatting.
                double w = kind == CellKind::Text
                               ? static_cast<double>(
                                     Utf8::codePoints(texts.get(static_cast<std::uint32_t>(col->payload(r)))))
                               : static_cast<double>(Utf8::codePoints(sheet.displayText(r, c)));
                if (sheet.style(cells.effectiveStyle(r, c)).bold) w *= 1.1;
                widest = std::max(widest, w);
            }
            if (widest == 0) continue; // an empty column keeps its width
            ColumnStore& target = sheet.data().column(c);
            target.width = std::min(255.0, std::ceil((widest + 0.71) * 100) / 100);
            target.hidden = false;
        }
    sheet.changed();
}

std::shared_ptr<IComment> Range::comment() const {
    Worksheet& sheet = ws();
    auto it = sheet.comments().find({mAreas[0].r1, mAreas[0].c1});
    if (it == sheet.comments().end()) return nullptr;
    return std::make_shared<Comment>(mSheet, it->second);
}

std::shared_ptr<IComment> Range::addComment(const std::string& text) {
    Worksheet& sheet = ws();
    sheet.checkFormatAllowed(false);
    auto key = std::make_pair(mAreas[0].r1, mAreas[0].c1);
    if (sheet.comments().count(key))
        fail("Application-defined or object-defined error: the cell already has a comment");
    auto data = std::make_shared<CommentData>();
    if (auto app = sheet.book().app()) data->author = app->options().userName;
    data->text = text;
    sheet.comments()[key] = data;
    sheet.changed();
    return std::make_shared<Comment>(mSheet, data);
}

void Range::clearComments() {
    Worksheet& sheet = ws();
    auto& comments = sheet.comments();
    bool any = false;
    for (auto it = comments.begin(); it != comments.end();) {
        bool inside = std::any_of(mAreas.begin(), mAreas.end(), [&](const Rect& a) {
            return a.contains(it->first.first, it->first.second);
        });
        if (inside) {
            if (sheet.protection().on) fail("You cannot use this command on a protected sheet.");
            it = comments.erase(it);
            any = true;
        } else {
            ++it;
        }
    }
    if (any) sheet.changed();
}

std::shared_ptr<IValidation> Range::validation() {
    return std::make_shared<Validation>(mSheet, mAreas);
}

void Range::copyValidationTo(IRange& target) {
    auto* to = dynamic_cast<Range*>(&target);
    if (!to) fail("PasteSpecial method of Range class failed");
    Worksheet& from = ws();
    Worksheet& dest = to->ws();
    dest.checkFormatAllowed(false);
    const ValidationRule* rule = from.validations().find(mAreas[0].r1, mAreas[0].c1);
    std::optional<ValidationRule> copy;
    if (rule) copy = *rule;
    dest.validations().remove(to->rects());
    if (copy) {
        copy->areas = to->rects();
        dest.validations().add(std::move(*copy));
    }
    dest.changed();
}

void Range::autoFilter() {
    Worksheet& sheet = ws();
    if (sheet.autoFilterMode()) {
        sheet.setAutoFilterMode(false);
        return;
    }
    Rect list = mAreas[0];
    auto used = sheet.data().usedExtent();
    if (list.cells() == 1 || list.entireColumns() || list.entireRows()) {
        // A single cell or whole lines stand for the list of data around them.
        if (!used) fail("AutoFilter method of Range class failed: no list");
        if (list.cells() == 1)
            list = *used;
        else if (auto cut = intersect(list, *used))
            list = *cut;
        else
            fail("AutoFilter method of Range class failed: no list");
    }
    sheet.startAutoFilter(list);
}

void Range::autoFilter(int field, const std::string& criteria1, int op, const std::string& criteria2) {
    Worksheet& sheet = ws();
    const auto& state = sheet.autoFilterState();
    if (!state || !state->list().contains(mAreas[0].r1, mAreas[0].c1)) {
        if (state) sheet.setAutoFilterMode(false);
        autoFilter();
    }
    FilterState f;
    f.on = !criteria1.empty() || op == xl::FilterValues;
    f.criteria1 = criteria1;
    // One criterion has no operator, as the host reports it (Operator 0, no second criterion).
    const bool joined = op == xl::FilterAnd || op == xl::FilterOr;
    f.op = !f.on || (joined && criteria2.empty()) ? 0 : op;
    f.criteria2 = f.on ? criteria2 : std::string();
    sheet.setColumnFilter(field, std::move(f));
}

} // namespace qv::sheet
