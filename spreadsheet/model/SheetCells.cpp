// Format precedence for a cell without a format of its own: its row's, then its column's, then
// the sheet's. A change to whole columns or rows rewrites that level and every cell that already
// has its own format, and materialises only the cells where a row and a column format meet.
#include "spreadsheet/model/SheetCells.h"

#include <algorithm>
#include <bit>

namespace qv::sheet {

ColumnStore& SheetCells::column(long col) {
    if (col > static_cast<long>(mColumns.size())) mColumns.resize(col);
    return mColumns[col - 1];
}

bool SheetCells::encode(const Variant& v, CellKind& kind, std::uint64_t& payload, ColumnTexts* texts) {
    switch (v.type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Binary:
        kind = CellKind::Empty;
        payload = 0;
        return true;
    case VarType::Boolean:
        kind = CellKind::Bool;
        payload = v.toBool() ? 1 : 0;
        return true;
    case VarType::Date:
        kind = CellKind::Date;
        payload = std::bit_cast<std::uint64_t>(v.toDate().value);
        return true;
    case VarType::String:
        if (v.str().empty()) {
            kind = CellKind::Empty;
            payload = 0;
        } else {
            kind = CellKind::Text;
            payload = texts ? texts->store(v.str()) : mStrings.intern(v.str());
        }
        return true;
    case VarType::Error:
        kind = CellKind::Error;
        payload = static_cast<std::uint32_t>(v.error().code);
        return true;
    case VarType::Single:
        kind = CellKind::Number;
        payload = std::bit_cast<std::uint64_t>(Variant::singleAsDecimal(static_cast<float>(v.toDouble())));
        return true;
    default:
        if (!v.isNumber()) return false;
        kind = CellKind::Number;
        payload = std::bit_cast<std::uint64_t>(v.toDouble());
        return true;
    }
}

Variant SheetCells::value(long row, long col) const {
    const ColumnStore* c = findColumn(col);
    if (!c) return {};
    switch (c->kind(row)) {
    case CellKind::Empty:
        return {};
    case CellKind::Number:
        return Variant(c->number(row));
    case CellKind::Text:
        return Variant(std::string(mStrings.get(static_cast<std::uint32_t>(c->payload(row)))));
    case CellKind::Bool:
        return Variant(c->payload(row) != 0);
    case CellKind::Date:
        return Variant(OleDate{c->number(row)});
    case CellKind::Error:
        return Variant(ErrorValue{static_cast<std::int32_t>(c->payload(row))});
    }
    return {};
}

void SheetCells::valueInto(long row, long col, Variant& out) const {
    const ColumnStore* c = findColumn(col);
    if (c && c->kind(row) == CellKind::Text)
        out.assignText(mStrings.get(static_cast<std::uint32_t>(c->payload(row))));
    else
        out = value(row, col);
}

bool SheetCells::isEmpty(long row, long col) const {
    const ColumnStore* c = findColumn(col);
    return !c || c->kind(row) == CellKind::Empty;
}

void SheetCells::setValue(long row, long col, const Variant& v) {
    fill(Rect{row, col, row, col}, v);
}

void SheetCells::fill(const Rect& r, const Variant& v) {
    CellKind kind;
    std::uint64_t payload;
    if (!encode(v, kind, payload)) kind = CellKind::Empty, payload = 0;
    for (long c = r.c1; c <= r.c2; ++c) {
        if (kind == CellKind::Empty && !findColumn(c)) continue;
        ColumnStore& col = column(c);
        long last = kind == CellKind::Empty ? std::min(r.r2, col.length()) : r.r2;
        col.ensure(last);
        for (long row = r.r1; row <= last; ++row)
            col.set(row, kind, payload);
    }
    if (!mFormulas.empty())
        for (auto it = mFormulas.begin(); it != mFormulas.end();)
            it = r.contains(it->first.first, it->first.second) ? mFormulas.erase(it) : std::next(it);
}

void SheetCells::clearValues(const Rect& r) {
    fill(r, Variant());
}

std::uint32_t SheetCells::effectiveStyle(long row, long col) const {
    const ColumnStore* c = findColumn(col);
    if (c) {
        std::uint32_t s = c->style(row);
        if (s != InheritStyle) return s;
    }
    std::uint32_t rs = rowStyle(row);
    if (rs != InheritStyle) return rs;
    if (c && c->defaultStyle != InheritStyle) return c->defaultStyle;
    return mSheetStyle;
}

bool SheetCells::hasOwnStyle(long row, long col) const {
    const ColumnStore* c = findColumn(col);
    return c && c->style(row) != InheritStyle;
}

void SheetCells::ensureRowStyles(long rows) {
    if (rows > static_cast<long>(mRowStyles.size())) mRowStyles.resize(rows, InheritStyle);
}

void SheetCells::modifyStyle(const Rect& r, StyleRemap& f) {
    if (r.entireRows() && r.entireColumns()) {
        mSheetStyle = f(mSheetStyle);
        for (auto& s : mRowStyles)
            if (s != InheritStyle) s = f(s);
        for (auto& col : mColumns) {
            if (col.defaultStyle != InheritStyle) col.defaultStyle = f(col.defaultStyle);
            for (auto& s : col.styles())
                if (s != InheritStyle) s = f(s);
        }
        return;
    }
    if (r.entireColumns()) {
        for (long c = r.c1; c <= r.c2; ++c) {
            ColumnStore& col = column(c);
            col.defaultStyle = f(col.defaultStyle != InheritStyle ? col.defaultStyle : mSheetStyle);
            // Where a row format meets the column, the cell takes the changed row format.
            long lastRowStyle = 0;
            for (long row = static_cast<long>(mRowStyles.size()); row > 0; --row)
                if (mRowStyles[row - 1] != InheritStyle) {
                    lastRowStyle = row;
                    break;
                }
            col.ensure(lastRowStyle);
            auto& styles = col.styles();
            for (std::size_t i = 0; i < styles.size(); ++i) {
                if (styles[i] != InheritStyle)
                    styles[i] = f(styles[i]);
                else if (i < mRowStyles.size() && mRowStyles[i] != InheritStyle)
                    styles[i] = f(mRowStyles[i]);
            }
        }
        return;
    }
    if (r.entireRows()) {
        ensureRowStyles(r.r2);
        for (long row = r.r1; row <= r.r2; ++row) {
            std::uint32_t& s = mRowStyles[row - 1];
            s = f(s != InheritStyle ? s : mSheetStyle);
        }
        for (auto& col : mColumns) {
            if (col.defaultStyle != InheritStyle) col.ensure(r.r2);
            auto& styles = col.styles();
            long last = std::min<long>(r.r2, static_cast<long>(styles.size()));
            for (long row = r.r1; row <= last; ++row) {
                std::uint32_t& s = styles[row - 1];
                if (s != InheritStyle)
                    s = f(s);
                else if (col.defaultStyle != InheritStyle)
                    s = f(col.defaultStyle);
            }
        }
        return;
    }
    for (long c = r.c1; c <= r.c2; ++c) {
        ColumnStore& col = column(c);
        col.ensure(r.r2);
        std::uint32_t* styles = col.styles().data();
        const std::uint32_t columnBase = col.defaultStyle != InheritStyle ? col.defaultStyle : mSheetStyle;
        // A formatted column is long runs of one id: each run is mapped once and then rewritten
        // in a tight loop, since a lookup per cell is most of the cost over a million rows.
        long row = r.r1;
        while (row <= r.r2) {
            const std::uint32_t own = styles[row - 1];
            const std::uint32_t rs = own == InheritStyle ? rowStyle(row) : InheritStyle;
            const std::uint32_t to = f(own != InheritStyle ? own : rs != InheritStyle ? rs : columnBase);
            styles[row - 1] = to;
            ++row;
            if (own != InheritStyle) {
                while (row <= r.r2 && styles[row - 1] == own)
                    styles[row - 1] = to, ++row;
            } else if (rs != InheritStyle) {
                while (row <= r.r2 && styles[row - 1] == InheritStyle && rowStyle(row) == rs)
                    styles[row - 1] = to, ++row;
            } else {
                // Rows past the last row format inherit nothing from a row.
                const long plain = std::max(row, std::min(r.r2 + 1, rowStyleCount() + 1));
                while (row < plain && styles[row - 1] == InheritStyle && rowStyle(row) == InheritStyle)
                    styles[row - 1] = to, ++row;
                if (row == plain)
                    while (row <= r.r2 && styles[row - 1] == InheritStyle)
                        styles[row - 1] = to, ++row;
            }
        }
    }
}

void SheetCells::setRowHidden(long first, long last, bool hidden) {
    if (!hidden && first > static_cast<long>(mHiddenRows.size())) return;
    if (last > static_cast<long>(mHiddenRows.size())) {
        if (hidden)
            mHiddenRows.resize(last, false);
        else
            last = static_cast<long>(mHiddenRows.size());
    }
    std::fill(mHiddenRows.begin() + (first - 1), mHiddenRows.begin() + last, hidden);
}

std::vector<long> SheetCells::hiddenRows() const {
    std::vector<long> out;
    for (std::size_t i = 0; i < mHiddenRows.size(); ++i)
        if (mHiddenRows[i]) out.push_back(static_cast<long>(i + 1));
    return out;
}

const std::string* SheetCells::formula(long row, long col) const {
    auto it = mFormulas.find({row, col});
    return it == mFormulas.end() ? nullptr : &it->second;
}

void SheetCells::setFormula(long row, long col, const std::string& f) {
    setValue(row, col, Variant());
    mFormulas[{row, col}] = f;
}

void SheetCells::insertRows(long at, long count) {
    for (auto& col : mColumns)
        col.insertRows(at, count);
    const long styledRows = static_cast<long>(mRowStyles.size());
    if (at <= styledRows || (at == styledRows + 1 && at > 1)) {
        std::uint32_t above = at > 1 ? mRowStyles[at - 2] : InheritStyle;
        mRowStyles.insert(mRowStyles.begin() + (at - 1), count, above);
    }
    if (at <= static_cast<long>(mHiddenRows.size()))
        mHiddenRows.insert(mHiddenRows.begin() + (at - 1), count, false);
    std::map<std::pair<long, long>, std::string> moved;
    for (auto& [pos, f] : mFormulas)
        moved[{pos.first >= at ? pos.first + count : pos.first, pos.second}] = f;
    mFormulas.swap(moved);
    // Rows pushed past the sheet's end are lost, as in the host.
    for (auto& col : mColumns)
        if (col.length() > MaxRow) col.deleteRows(MaxRow + 1, col.length() - MaxRow);
}

void SheetCells::deleteRows(long first, long count) {
    for (auto& col : mColumns)
        col.deleteRows(first, count);
    auto eraseRange = [&](auto& v) {
        if (first > static_cast<long>(v.size())) return;
        long last = std::min<long>(static_cast<long>(v.size()), first + count - 1);
        v.erase(v.begin() + (first - 1), v.begin() + last);
    };
    eraseRange(mRowStyles);
    eraseRange(mHiddenRows);
    std::map<std::pair<long, long>, std::string> moved;
    for (auto& [pos, f] : mFormulas) {
        if (pos.first >= first && pos.first < first + count) continue;
        moved[{pos.first >= first + count ? pos.first - count : pos.first, pos.second}] = f;
    }
    mFormulas.swap(moved);
}

void SheetCells::insertColumns(long at, long count) {
    if (at <= static_cast<long>(mColumns.size())) {
        ColumnStore model;
        if (at > 1) {
            // New columns take the format and width of the column to their left, not its values.
            const ColumnStore& left = mColumns[at - 2];
            model.defaultStyle = left.defaultStyle;
            model.width = left.width;
            model.ensure(left.length());
            for (long row = 1; row <= left.length(); ++row)
                model.setStyle(row, mColumns[at - 2].style(row));
        }
        mColumns.insert(mColumns.begin() + (at - 1), count, model);
        if (static_cast<long>(mColumns.size()) > MaxColumn) mColumns.resize(MaxColumn);
    }
    std::map<std::pair<long, long>, std::string> moved;
    for (auto& [pos, f] : mFormulas)
        moved[{pos.first, pos.second >= at ? pos.second + count : pos.second}] = f;
    mFormulas.swap(moved);
}

void SheetCells::deleteColumns(long first, long count) {
    if (first <= static_cast<long>(mColumns.size())) {
        long last = std::min<long>(static_cast<long>(mColumns.size()), first + count - 1);
        mColumns.erase(mColumns.begin() + (first - 1), mColumns.begin() + last);
    }
    std::map<std::pair<long, long>, std::string> moved;
    for (auto& [pos, f] : mFormulas) {
        if (pos.second >= first && pos.second < first + count) continue;
        moved[{pos.first, pos.second >= first + count ? pos.second - count : pos.second}] = f;
    }
    mFormulas.swap(moved);
}

std::optional<Rect> SheetCells::usedExtent() const {
    Rect r{MaxRow + 1, MaxColumn + 1, 0, 0};
    for (long c = 1; c <= static_cast<long>(mColumns.size()); ++c) {
        long last = mColumns[c - 1].lastUsedRow();
        if (last == 0) continue;
        r.r1 = std::min(r.r1, mColumns[c - 1].firstUsedRow());
        r.r2 = std::max(r.r2, last);
        r.c1 = std::min(r.c1, c);
        r.c2 = std::max(r.c2, c);
    }
    for (auto& [pos, f] : mFormulas) {
        r.r1 = std::min(r.r1, pos.first);
        r.r2 = std::max(r.r2, pos.first);
        r.c1 = std::min(r.c1, pos.second);
        r.c2 = std::max(r.c2, pos.second);
    }
    if (r.r2 == 0) return std::nullopt;
    return r;
}

} // namespace qv::sheet
