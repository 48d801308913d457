// A sheet of the in-process host: the IWorksheet surface plus the model operations that ranges,
// the workbook and the export view use. Cells live in SheetCells; rules, comments, filter and
// protection next to them. Person-level entry (typeInto, fillSelection) enforces protection
// and data validation the way a person meets them.
#pragma once

#include "platform/host/IWorksheet.h"
#include "spreadsheet/formats/NumberFormatter.h"
#include "spreadsheet/model/AutoFilterState.h"
#include "spreadsheet/model/CellAddress.h"
#include "spreadsheet/model/Comment.h"
#include "spreadsheet/model/SheetCells.h"
#include "spreadsheet/validation/ValidationSet.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::sheet {

class Workbook;

struct SheetProtection {
    bool on = false;
    std::string password;
    bool allowFormattingColumns = false;
    bool allowFiltering = false;
    // The legacy verifier read from a file, whose password is not known; "" when `password` is
    // the password. A verifier that is not 4 hex digits (a newer salted hash) matches no password.
    std::string passwordHash;
    bool accepts(const std::string& candidate) const;
};

class Worksheet : public IWorksheet, public std::enable_shared_from_this<Worksheet> {
  public:
    Worksheet(const std::shared_ptr<Workbook>& book, std::string name);

    std::string name() const override { return mName; }
    void setName(const std::string& name) override;
    std::shared_ptr<IWorkbook> parent() const override;
    long index() const override;
    void activate() override;
    void select() override { activate(); }
    int visible() const override { return mVisible; }
    void setVisible(int visibility) override;
    int enableSelection() const override { return mEnableSelection; }
    void setEnableSelection(int rule) override;

    void protect(const std::string& password, bool allowFormattingColumns = false,
                 bool allowFiltering = false) override;
    void unprotect(const std::string& password = {}) override;
    bool protectContents() const override { return mProtection.on; }

    bool autoFilterMode() const override { return mFilter.has_value(); }
    void setAutoFilterMode(bool on) override;
    bool filterMode() const override { return mFilter && mFilter->anyOn(); }
    RangePtr autoFilterRange() const override;
    long filterCount() const override { return mFilter ? mFilter->list().cols() : 0; }
    FilterState filter(long index) const override;
    void showAllData() override;

    RangePtr cells(long row, long column) override;
    RangePtr range(const std::string& a1Address) override;
    RangePtr rangeOf(long row1, long column1, long row2, long column2) override;
    RangePtr allCells() override { return makeRange({Rect{1, 1, MaxRow, MaxColumn}}); }
    RangePtr usedRange() override;
    RangePtr rows(long first, long last) override;
    RangePtr columns(long first, long last) override;

    bool displayHeadings() const override { return mHeadings; }
    void setDisplayHeadings(bool show) override {
        mHeadings = show;
        changed();
    }
    bool displayZeros() const override { return mZeros; }
    void setDisplayZeros(bool show) override {
        mZeros = show;
        changed();
    }
    bool displayGridlines() const override { return mGridlines; }
    void setDisplayGridlines(bool show) override {
        mGridlines = show;
        changed();
    }
    void freezePanes(long row, long column) override;
    long frozenRows() const override { return mFrozenRows; }
    long frozenColumns() const override { return mFrozenColumns; }
    long scrollRow() const override { return mScrollRow; }
    void setScrollRow(long row) override;
    long scrollColumn() const override { return mScrollColumn; }
    void setScrollColumn(long column) override;
    void setStandardFillColor(long oleColor) override;

    // --- what a person does at the keyboard
    // Types an entry into one cell as the person would, then presses Enter. Answers false when
    // the person declined at a validation warning; raises 1004 when the cell is protected or a
    // stop-style validation refuses the entry. Nothing is stored unless it answers true.
    bool typeInto(long row, long column, const std::string& typed);
    // Ctrl+Enter: the same entry into every cell of the selection (all areas), one change event.
    bool fillSelection(const std::string& typed);
    // Pastes a block of typed entries with its top-left at the active cell (no validation, as a
    // paste in the host; protection still applies).
    void pasteValues(const std::vector<std::vector<std::string>>& typed);
    // What an entry typed into a cell becomes: under the Text format "@" the text as typed (a
    // code "0171" keeps its zero, "=A1" is no formula), elsewhere what the parser reads.
    Variant typedEntry(long row, long column, const std::string& typed) const;
    // Whether the cell has the Text format "@": text given to it stays text.
    bool isTextFormatted(long row, long column) const;

    // --- the model for ranges, the workbook and the export view
    RangePtr makeRange(std::vector<Rect> areas);
    Workbook& book() const;
    std::shared_ptr<Workbook> bookPtr() const { return mBook.lock(); }
    SheetCells& data() { return mCells; }
    const SheetCells& data() const { return mCells; }
    ValidationSet& validations() { return mValidations; }
    const ValidationSet& validations() const { return mValidations; }
    std::map<std::pair<long, long>, std::shared_ptr<CommentData>>& comments() { return mComments; }
    const std::map<std::pair<long, long>, std::shared_ptr<CommentData>>& comments() const {
        return mComments;
    }
    const std::optional<AutoFilterState>& autoFilterState() const { return mFilter; }
    const SheetProtection& protection() const { return mProtection; }
    Locale locale() const;
    std::string displayText(long row, long col) const;
    std::uint32_t internStyle(const CellStyle& s);
    const CellStyle& style(std::uint32_t id) const;

    void
    checkCellsEditable(const std::vector<Rect>& areas) const; // 1004 on locked cells of a protected sheet
    void checkFormatAllowed(bool columnFormat) const;         // 1004 under protection
    void changed();                                           // workbook no longer saved
    void raiseChange(const std::vector<Rect>& areas);
    void raiseSelectionChange();
    void applyFilter(); // hides the rows the filter excludes
    void startAutoFilter(const Rect& list);
    void setColumnFilter(long field, FilterState state);
    void insertLines(bool rows, long at, long count);
    void deleteLines(bool rows, long first, long count);
    void removeComment(const CommentData* data);
    // Protection as a file stored it (readers only): no check, no change event.
    void restoreProtection(const SheetProtection& protection) { mProtection = protection; }

    std::vector<Rect> selectionAreas() const { return mSelection; }
    std::pair<long, long> activeCellPosition() const { return mActiveCell; }
    void setSelection(std::vector<Rect> areas, long activeRow, long activeCol);
    bool isActive() const;
    void detach() { mDeleted = true; }
    bool deleted() const { return mDeleted; }

    static constexpr double DefaultColumnWidth = 8.43;
    // Counted in UTF-16 units, as the host counts (see HostText).
    static constexpr std::size_t MaxNameLength = 31;

  private:
    void renameUnchecked(std::string name) { mName = std::move(name); }
    friend class Workbook;

    std::weak_ptr<Workbook> mBook;
    std::string mName;
    int mVisible = -1;
    int mEnableSelection = 0;
    SheetProtection mProtection;
    SheetCells mCells;
    ValidationSet mValidations;
    std::map<std::pair<long, long>, std::shared_ptr<CommentData>> mComments;
    std::optional<AutoFilterState> mFilter;
    bool mHeadings = true, mZeros = true, mGridlines = true;
    long mFrozenRows = 0, mFrozenColumns = 0, mScrollRow = 1, mScrollColumn = 1;
    std::vector<Rect> mSelection{Rect{1, 1, 1, 1}};
    std::pair<long, long> mActiveCell{1, 1};
    bool mDeleted = false;
};

} // namespace qv::sheet
