// The data-validation rules of a sheet. A rule carries its settings once and the list of
// rectangles it covers, so validating a whole million-row column is one rectangle. Changing
// the settings of part of a rule's cells splits that part off as a rule of its own.
#pragma once

#include "spreadsheet/model/CellAddress.h"

#include <functional>
#include <string>
#include <vector>

namespace qv::sheet {

struct ValidationRule {
    int type = 0;  // xl::ValidationType
    int alert = 1; // xl::ValidationAlert
    int op = 1;    // xl::ValidationOperator
    std::string formula1, formula2;
    std::string errorTitle, errorMessage, inputTitle, inputMessage;
    bool ignoreBlank = true, inCellDropdown = true, showError = true, showInput = true;
    std::vector<Rect> areas;
    bool sameSettings(const ValidationRule& o) const;
};

class ValidationSet {
  public:
    const ValidationRule* find(long row, long col) const;
    bool intersects(const std::vector<Rect>& areas) const;
    void add(ValidationRule rule) { mRules.push_back(std::move(rule)); }
    void remove(const std::vector<Rect>& areas);
    // Applies change to the rules of the given cells (only those cells).
    void modify(const std::vector<Rect>& areas, const std::function<void(ValidationRule&)>& change);
    const std::vector<ValidationRule>& rules() const { return mRules; }

    // Structure changes on one axis: rows when `rows`, columns otherwise. Rules grow over
    // inserted lines inside them or directly below (new lines take the format above).
    void insertLines(bool rows, long at, long count);
    void deleteLines(bool rows, long first, long count);

  private:
    std::vector<ValidationRule> mRules;
};

// Moves a rectangle for inserted / deleted rows or columns. Answers false when the rectangle
// was deleted entirely. growBelow: a rectangle ending just above the insertion grows with it.
bool shiftRectInsert(Rect& r, bool rows, long at, long count, bool growBelow);
bool shiftRectDelete(Rect& r, bool rows, long first, long count);

} // namespace qv::sheet
