// The validation handle of a range: reads the rule of the top-left cell and writes the rule of
// every cell of the range, splitting shared rules where the range covers only part of them.
#pragma once

#include "platform/host/IRange.h"
#include "spreadsheet/model/CellAddress.h"
#include "spreadsheet/validation/ValidationSet.h"

#include <memory>
#include <vector>

namespace qv::sheet {

class Worksheet;

class Validation : public IValidation {
  public:
    Validation(std::shared_ptr<Worksheet> sheet, std::vector<Rect> areas)
        : mSheet(std::move(sheet)), mAreas(std::move(areas)) {}
    void add(xl::ValidationType type, xl::ValidationAlert alert, xl::ValidationOperator op,
             const std::string& formula1, const std::string& formula2 = {}) override;
    void remove() override;
    bool exists() const override { return rule() != nullptr; }
    xl::ValidationType type() const override;
    xl::ValidationAlert alertStyle() const override;
    xl::ValidationOperator op() const override;
    std::string formula1() const override;
    std::string formula2() const override;
    void setErrorTitle(const std::string& title) override;
    void setErrorMessage(const std::string& message) override;
    std::string errorTitle() const override;
    std::string errorMessage() const override;
    void setInputTitle(const std::string& title) override;
    void setInputMessage(const std::string& message) override;
    void setIgnoreBlank(bool ignore) override;
    void setInCellDropdown(bool dropdown) override;
    void setShowError(bool show) override;

  private:
    const ValidationRule* rule() const;
    const ValidationRule& existing() const; // error 1004 when the cell has no rule
    void change(const std::function<void(ValidationRule&)>& f);
    std::shared_ptr<Worksheet> mSheet;
    std::vector<Rect> mAreas;
};

} // namespace qv::sheet
