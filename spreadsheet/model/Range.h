// A range handle: a sheet and its areas. Every operation is a bulk operation over the areas'
// rectangles, delegated to the sheet's column store; nothing is copied per cell unless the
// caller asks for values.
#pragma once

#include "platform/host/IRange.h"
#include "spreadsheet/model/CellAddress.h"
#include "spreadsheet/model/CellStyle.h"

#include <functional>
#include <memory>
#include <vector>

namespace qv::sheet {

class Worksheet;

class Range : public IRange {
  public:
    Range(std::shared_ptr<Worksheet> sheet, std::vector<Rect> areas);

    std::shared_ptr<IWorksheet> worksheet() const override;
    long row() const override { return mAreas[0].r1; }
    long column() const override { return mAreas[0].c1; }
    long rowCount() const override { return mAreas[0].rows(); }
    long columnCount() const override { return mAreas[0].cols(); }
    long long count() const override;
    std::string address(bool rowAbsolute = true, bool columnAbsolute = true,
                        xl::ReferenceStyle style = xl::ReferenceStyle::A1) const override;

    RangePtr offset(long rows, long columns) const override;
    RangePtr resize(long rows, long columns) const override;
    RangePtr cell(long row, long column) const override;
    RangePtr rowAt(long index) const override;
    RangePtr columnAt(long index) const override;
    RangePtr entireRow() const override;
    RangePtr entireColumn() const override;
    std::vector<RangePtr> areas() const override;
    RangePtr endDown() const override;

    Variant value() const override;
    void setValue(const Variant& v) override;
    VariantMatrix values() const override;
    void setValues(const VariantMatrix& m) override;
    std::string formula() const override;
    void setFormula(const std::string& f) override;
    std::string text() const override;
    long copyFromRecordset(IAdoRecordset& rs, long maxRows = -1, long maxColumns = -1) override;
    void clear() override;
    void clearContents() override;

    void deleteCells() override;
    void insertCells() override;
    void select() override;
    void activate() override;

    Variant locked() const override;
    void setLocked(bool locked) override;
    Variant fillColor() const override;
    void setFillColor(long oleColor) override;
    Variant fillColorIndex() const override;
    void setFillColorIndex(int index) override;
    Variant fontColor() const override;
    void setFontColor(long oleColor) override;
    Variant fontColorIndex() const override;
    void setFontColorIndex(int index) override;
    Variant fontBold() const override;
    void setFontBold(bool bold) override;
    std::string numberFormat() const override;
    void setNumberFormat(const std::string& format) override;
    void setStyle(const std::string& builtinName) override;
    int horizontalAlignment() const override;
    void setHorizontalAlignment(int alignment) override;
    void setBorder(xl::BorderEdge edge, int lineStyle, int weight, long oleColor) override;

    double columnWidth() const override;
    void setColumnWidth(double width) override;
    bool columnHidden() const override;
    void setColumnHidden(bool hidden) override;
    bool rowHidden() const override;
    void setRowHidden(bool hidden) override;
    void autoFitColumns() override;

    std::shared_ptr<IComment> comment() const override;
    std::shared_ptr<IComment> addComment(const std::string& text) override;
    void clearComments() override;

    std::shared_ptr<IValidation> validation() override;
    void copyValidationTo(IRange& target) override;

    void autoFilter() override;
    void autoFilter(int field, const std::string& criteria1, int op = xl::FilterAnd,
                    const std::string& criteria2 = {}) override;
    void transformNumbers(const std::function<double(double)>& f) override;

    // --- model
    const std::vector<Rect>& rects() const { return mAreas; }
    const std::shared_ptr<Worksheet>& sheet() const { return mSheet; }

  private:
    Worksheet& ws() const;
    RangePtr make(std::vector<Rect> areas) const;
    void writeValue(const Variant& v, bool raise);
    // The style ids of every cell of the areas, each distinct run once; visit answers false to stop.
    void forEachStyle(const std::function<bool(const CellStyle&)>& visit) const;
    template <class T> Variant readStyle(const std::function<T(const CellStyle&)>& get) const;
    void modifyStyle(const std::function<void(CellStyle&)>& change, bool columnFormat = false);
    void modifyStyleIn(const Rect& r, const std::function<void(CellStyle&)>& change);

    std::shared_ptr<Worksheet> mSheet;
    std::vector<Rect> mAreas;
};

} // namespace qv::sheet
