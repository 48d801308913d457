// The sheet surface. Changes go through changed() so the workbook's Saved flag follows every
// edit, and through the protection checks so code meets the same refusals a person does.
#include "spreadsheet/model/Worksheet.h"

#include "platform/NumberedError.h"
#include "platform/TextUtil.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/HostText.h"
#include "spreadsheet/model/PasswordHash.h"
#include "spreadsheet/model/Range.h"
#include "spreadsheet/model/Workbook.h"

#include <algorithm>

namespace qv::sheet {

namespace {
constexpr const char* Source = "Worksheet";
[[noreturn]] void fail(const std::string& text) {
    throw NumberedError(err::ApplicationDefined, Source, text);
}
} // namespace

Worksheet::Worksheet(const std::shared_ptr<Workbook>& book, std::string name)
    : mBook(book), mName(std::move(name)), mCells(book->strings()) {}

Workbook& Worksheet::book() const {
    auto b = mBook.lock();
    if (!b || mDeleted)
        throw NumberedError(err::ObjectNotSet, Source, "Object required: the sheet no longer exists");
    return *b;
}

std::shared_ptr<IWorkbook> Worksheet::parent() const {
    book();
    return mBook.lock();
}

void Worksheet::setName(const std::string& name) {
    if (name == mName) return;
    static const std::string forbidden = ":\\/?*[]";
    const auto length = HostText::length(name);
    bool valid = length && *length >= 1 && *length <= MaxNameLength && name.front() != '\'' &&
                 name.back() != '\'' && name.find_first_of(forbidden) == std::string::npos &&
                 !TextUtil::equalsIgnoreCase(name, "History");
    if (!valid) fail("You typed an invalid name for a sheet or chart.");
    Workbook& b = book();
    b.checkStructureUnprotected();
    for (const auto& s : b.sheets())
        if (s.get() != this && TextUtil::equalsIgnoreCase(s->name(), name))
            fail("That name is already taken. Try a different one.");
    b.nameTable().renameSheet(mName, name);
    mName = name;
    changed();
}

long Worksheet::index() const {
    const auto& sheets = book().sheets();
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (sheets[i].get() == this) return static_cast<long>(i + 1);
    return 0;
}

bool Worksheet::isActive() const {
    auto b = mBook.lock();
    return b && !mDeleted && b->activeSheet().get() == this;
}

void Worksheet::activate() {
    Workbook& b = book();
    if (mVisible != xl::SheetVisible) fail("Activate method of Worksheet class failed");
    if (auto app = b.app()) app->setActiveWorkbook(b.shared_from_this(), true);
    if (isActive()) return;
    b.setActiveSheet(shared_from_this());
    if (auto app = b.app()) app->raiseSheetActivate(shared_from_this());
}

void Worksheet::setVisible(int visibility) {
    if (visibility != xl::SheetVisible && visibility != xl::SheetHidden && visibility != xl::SheetVeryHidden)
        fail("Unable to set the Visible property of the Worksheet class");
    if (visibility == mVisible) return;
    Workbook& b = book();
    b.checkStructureUnprotected();
    if (visibility != xl::SheetVisible) {
        long visibleOthers = 0;
        for (const auto& s : b.sheets())
            if (s.get() != this && s->visible() == xl::SheetVisible) ++visibleOthers;
        if (visibleOthers == 0) fail("Unable to set the Visible property of the Worksheet class");
    }
    bool wasActive = isActive();
    mVisible = visibility;
    if (wasActive)
        for (const auto& s : b.sheets())
            if (s->visible() == xl::SheetVisible) {
                b.setActiveSheet(s);
                break;
            }
    changed();
}

void Worksheet::setEnableSelection(int rule) {
    if (rule != xl::SelectionNoRestrictions && rule != xl::SelectionUnlockedCells &&
        rule != xl::SelectionNone)
        fail("Unable to set the EnableSelection property of the Worksheet class");
    mEnableSelection = rule;
}

bool SheetProtection::accepts(const std::string& candidate) const {
    if (passwordHash.empty()) return candidate == password;
    return TextUtil::equalsIgnoreCase(PasswordHash::legacy(candidate), passwordHash);
}

void Worksheet::protect(const std::string& password, bool allowFormattingColumns, bool allowFiltering) {
    if (mProtection.on && !mProtection.accepts(password)) fail("The password you supplied is not correct.");
    mProtection = {true, password, allowFormattingColumns, allowFiltering};
    changed();
}

void Worksheet::unprotect(const std::string& password) {
    if (!mProtection.on) return;
    if (!mProtection.accepts(password)) fail("The password you supplied is not correct.");
    mProtection = {};
    changed();
}

void Worksheet::setAutoFilterMode(bool on) {
    if (on) fail("AutoFilterMode can only be switched off");
    if (!mFilter) return;
    if (mProtection.on) fail("You cannot use this command on a protected sheet.");
    Rect list = mFilter->list();
    mFilter.reset();
    if (list.r2 > list.r1) mCells.setRowHidden(list.r1 + 1, list.r2, false);
    changed();
}

RangePtr Worksheet::autoFilterRange() const {
    if (!mFilter) return nullptr;
    return const_cast<Worksheet*>(this)->makeRange({mFilter->list()});
}

FilterState Worksheet::filter(long index) const {
    if (!mFilter || index < 1 || index > mFilter->list().cols())
        throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    return mFilter->filters()[index - 1];
}

void Worksheet::showAllData() {
    if (!mFilter) return;
    if (!mFilter->anyOn()) return; // the host refuses only when nothing is filtered; harmless here
    if (mProtection.on && !mProtection.allowFiltering)
        fail("You cannot use this command on a protected sheet.");
    for (auto& f : mFilter->filters())
        f = FilterState{};
    applyFilter();
    changed();
}

void Worksheet::startAutoFilter(const Rect& list) {
    if (mProtection.on) fail("You cannot use this command on a protected sheet.");
    if (mFilter) {
        Rect old = mFilter->list();
        if (old.r2 > old.r1) mCells.setRowHidden(old.r1 + 1, old.r2, false);
    }
    mFilter.emplace(list);
    changed();
}

void Worksheet::setColumnFilter(long field, FilterState state) {
    if (!mFilter) fail("AutoFilter method of Range class failed");
    if (field < 1 || field > mFilter->list().cols()) fail("AutoFilter method of Range class failed");
    if (mProtection.on && !mProtection.allowFiltering)
        fail("You cannot use this command on a protected sheet.");
    mFilter->filters()[field - 1] = std::move(state);
    applyFilter();
    changed();
}

void Worksheet::applyFilter() {
    if (!mFilter) return;
    const Rect& list = mFilter->list();
    const auto& filters = mFilter->filters();
    for (long row = list.r1 + 1; row <= list.r2; ++row) {
        bool show = true;
        for (long i = 0; i < list.cols() && show; ++i) {
            if (!filters[i].on) continue;
            long col = list.c1 + i;
            show = AutoFilterState::matches(filters[i], mCells.value(row, col), displayText(row, col));
        }
        mCells.setRowHidden(row, row, !show);
    }
}

RangePtr Worksheet::makeRange(std::vector<Rect> areas) {
    return std::make_shared<Range>(shared_from_this(), std::move(areas));
}

RangePtr Worksheet::cells(long row, long column) {
    if (row < 1 || row > MaxRow || column < 1 || column > MaxColumn)
        fail("Application-defined or object-defined error");
    return makeRange({Rect{row, column, row, column}});
}

RangePtr Worksheet::range(const std::string& a1Address) {
    auto areas = CellAddress::parseA1(a1Address);
    if (!areas) {
        // A defined name of the workbook refers to cells as well.
        if (auto named = book().nameRange(a1Address)) return named;
        fail("Method 'Range' of object '_Worksheet' failed");
    }
    return makeRange(std::move(*areas));
}

RangePtr Worksheet::rangeOf(long row1, long column1, long row2, long column2) {
    Rect r{std::min(row1, row2), std::min(column1, column2), std::max(row1, row2),
           std::max(column1, column2)};
    if (r.r1 < 1 || r.r2 > MaxRow || r.c1 < 1 || r.c2 > MaxColumn)
        fail("Application-defined or object-defined error");
    return makeRange({r});
}

RangePtr Worksheet::usedRange() {
    auto used = mCells.usedExtent();
    return makeRange({used ? *used : Rect{1, 1, 1, 1}});
}

RangePtr Worksheet::rows(long first, long last) {
    if (first < 1 || last > MaxRow || first > last) fail("Application-defined or object-defined error");
    return makeRange({Rect{first, 1, last, MaxColumn}});
}

RangePtr Worksheet::columns(long first, long last) {
    if (first < 1 || last > MaxColumn || first > last) fail("Application-defined or object-defined error");
    return makeRange({Rect{1, first, MaxRow, last}});
}

void Worksheet::freezePanes(long row, long column) {
    if (row < 0 || column < 0 || row > MaxRow || column > MaxColumn) fail("Unable to freeze panes");
    mFrozenRows = row > 1 ? row - 1 : 0;
    mFrozenColumns = column > 1 ? column - 1 : 0;
    changed();
}

void Worksheet::setScrollRow(long row) {
    if (row < 1 || row > MaxRow) fail("Unable to set the ScrollRow property of the Window class");
    mScrollRow = row;
}

void Worksheet::setScrollColumn(long column) {
    if (column < 1 || column > MaxColumn) fail("Unable to set the ScrollColumn property of the Window class");
    mScrollColumn = column;
}

void Worksheet::setStandardFillColor(long oleColor) {
    checkFormatAllowed(false);
    // Every cell without a fill of its own takes the colour.
    StyleRemap remap(book().styles(), [oleColor](CellStyle& s) {
        if (s.fillColor == NoColor) s.fillColor = static_cast<std::int32_t>(oleColor);
    });
    mCells.modifyStyle(Rect{1, 1, MaxRow, MaxColumn}, remap);
    changed();
}

Locale Worksheet::locale() const {
    auto b = mBook.lock();
    auto app = b ? b->app() : nullptr;
    return app ? app->locale() : Locale::English;
}

std::string Worksheet::displayText(long row, long col) const {
    Variant v = mCells.value(row, col);
    if (v.isEmpty()) return {};
    const std::string& format = style(mCells.effectiveStyle(row, col)).numberFormat;
    // A date that lands in a General cell shows as a date, as the host shows it (and as the
    // file writers save it): the short date, with the time when there is one.
    if (v.isDate() && (format.empty() || format == "General")) {
        const double d = v.toDouble();
        const bool hasTime = d != static_cast<double>(static_cast<long long>(d));
        const bool dutch = locale() == Locale::Dutch;
        const char* dateOnly = dutch ? "d-m-yyyy" : "m/d/yyyy";
        const char* withTime = dutch ? "d-m-yyyy h:mm" : "m/d/yyyy h:mm";
        return NumberFormatter::format(v, hasTime ? withTime : dateOnly, locale());
    }
    return NumberFormatter::format(v, format, locale());
}

std::uint32_t Worksheet::internStyle(const CellStyle& s) {
    return book().styles().intern(s);
}
const CellStyle& Worksheet::style(std::uint32_t id) const {
    return book().styles().get(id);
}

void Worksheet::checkCellsEditable(const std::vector<Rect>& areas) const {
    if (!mProtection.on) return;
    const auto& pool = book().styles();
    for (const Rect& r : areas)
        for (long c = r.c1; c <= r.c2; ++c) {
            const ColumnStore* col = mCells.findColumn(c);
            long materialised = col ? std::min(r.r2, col->length()) : r.r1 - 1;
            std::uint32_t last = InheritStyle;
            for (long row = r.r1; row <= materialised; ++row) {
                std::uint32_t s = col->style(row);
                if (s == InheritStyle) s = mCells.effectiveStyle(row, c);
                if (s == last) continue;
                last = s;
                if (pool.get(s).locked)
                    fail("The cell or chart that you are trying to change is protected and therefore "
                         "read-only.");
            }
            // Beyond the stored rows the row formats and then the column's or sheet's format apply.
            if (materialised < r.r2) {
                const long from = std::max(r.r1, materialised + 1);
                const long lastStyled = std::min(r.r2, mCells.rowStyleCount());
                long rowFormatted = 0;
                for (long row = from; row <= lastStyled; ++row) {
                    std::uint32_t s = mCells.rowStyle(row);
                    if (s == InheritStyle) continue;
                    ++rowFormatted;
                    if (pool.get(s).locked)
                        fail("The cell or chart that you are trying to change is protected and therefore "
                             "read-only.");
                }
                std::uint32_t base =
                    col && col->defaultStyle != InheritStyle ? col->defaultStyle : mCells.sheetStyle();
                if (rowFormatted < r.r2 - from + 1 && pool.get(base).locked)
                    fail("The cell or chart that you are trying to change is protected and therefore "
                         "read-only.");
            }
        }
}

void Worksheet::checkFormatAllowed(bool columnFormat) const {
    if (!mProtection.on) return;
    if (columnFormat && mProtection.allowFormattingColumns) return;
    fail("You cannot use this command on a protected sheet. To use this command, you must first unprotect "
         "the sheet.");
}

void Worksheet::changed() {
    if (auto b = mBook.lock()) b->markChanged();
}

void Worksheet::raiseChange(const std::vector<Rect>& areas) {
    auto b = mBook.lock();
    auto app = b ? b->app() : nullptr;
    if (app && app->enableEvents()) app->raiseSheetChange(shared_from_this(), makeRange(areas));
}

void Worksheet::setSelection(std::vector<Rect> areas, long activeRow, long activeCol) {
    mSelection = std::move(areas);
    mActiveCell = {activeRow, activeCol};
}

void Worksheet::raiseSelectionChange() {
    auto b = mBook.lock();
    auto app = b ? b->app() : nullptr;
    if (app && app->enableEvents()) app->raiseSelectionChange(shared_from_this(), makeRange(mSelection));
}

void Worksheet::insertLines(bool rows, long at, long count) {
    Workbook& b = book();
    if (rows)
        mCells.insertRows(at, count);
    else
        mCells.insertColumns(at, count);
    mValidations.insertLines(rows, at, count);
    b.nameTable().insertLines(mName, rows, at, count);
    std::map<std::pair<long, long>, std::shared_ptr<CommentData>> moved;
    for (auto& [pos, c] : mComments) {
        auto p = pos;
        long& line = rows ? p.first : p.second;
        if (line >= at) line += count;
        if (line <= (rows ? MaxRow : MaxColumn)) moved[p] = c;
    }
    mComments.swap(moved);
    if (mFilter) {
        Rect list = mFilter->list();
        if (shiftRectInsert(list, rows, at, count, false)) {
            auto filters = mFilter->filters();
            if (!rows && list.cols() != mFilter->list().cols()) {
                long offset = at - mFilter->list().c1;
                if (offset >= 0 && offset <= static_cast<long>(filters.size()))
                    filters.insert(filters.begin() + offset, count, FilterState{});
            }
            mFilter.emplace(list);
            mFilter->filters() = filters;
        } else {
            mFilter.reset();
        }
    }
    changed();
}

void Worksheet::deleteLines(bool rows, long first, long count) {
    Workbook& b = book();
    if (rows)
        mCells.deleteRows(first, count);
    else
        mCells.deleteColumns(first, count);
    mValidations.deleteLines(rows, first, count);
    b.nameTable().deleteLines(mName, rows, first, count);
    std::map<std::pair<long, long>, std::shared_ptr<CommentData>> moved;
    for (auto& [pos, c] : mComments) {
        auto p = pos;
        long& line = rows ? p.first : p.second;
        if (line >= first && line < first + count) continue;
        if (line >= first + count) line -= count;
        moved[p] = c;
    }
    mComments.swap(moved);
    if (mFilter) {
        Rect list = mFilter->list();
        Rect before = list;
        bool headerGone = rows ? (before.r1 >= first && before.r1 < first + count) : false;
        if (!headerGone && shiftRectDelete(list, rows, first, count)) {
            auto filters = mFilter->filters();
            if (!rows) {
                long lo = std::max(first, before.c1), hi = std::min(first + count - 1, before.c2);
                if (lo <= hi)
                    filters.erase(filters.begin() + (lo - before.c1), filters.begin() + (hi - before.c1 + 1));
            }
            mFilter.emplace(list);
            mFilter->filters() = filters;
        } else {
            mFilter.reset();
        }
    }
    changed();
}

void Worksheet::removeComment(const CommentData* data) {
    for (auto it = mComments.begin(); it != mComments.end(); ++it)
        if (it->second.get() == data) {
            mComments.erase(it);
            changed();
            return;
        }
}

} // namespace qv::sheet
