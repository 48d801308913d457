// One column of the shown table as the form needs it: what the catalogue says about it
// (caption, format, width, defaults, read-only causes) together with its records-model type,
// gathered once so the form never has to go back to either engine while it lays out the sheet.
#pragma once

#include "datasource/KeyedCollection.h"
#include "platform/Variant.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qv {

class IRange;

class clsField {
  public:
    // What Init takes, in the order the catalogue reader collects it.
    struct Values {
        std::string Name;
        std::int16_t Index = 0;
        std::string Caption;
        std::int32_t Size = 0;
        Variant DefaultValue;
        bool AllowZeroLength = false;
        bool IsAutoIncr = false;
        bool IsReadOnly = false;
        std::string ValidationText;
        std::string Format;
        std::string Description;
        std::int32_t ColumnWidth = -1;
        bool ColumnHidden = false;
        std::int32_t TypeADO = 0;
        std::int32_t TypeDAO = 0;
    };

    // IsPrimary is decided here against the table's key columns (exact, case-sensitive names).
    void Init(Values values, const KeyedCollection<std::string>& primaryKeys);

    const std::string& Name() const { return mV.Name; }
    std::int16_t Index() const { return mV.Index; }
    const std::string& Caption() const { return mV.Caption; }
    std::int32_t Size() const { return mV.Size; }
    const Variant& DefaultValue() const { return mV.DefaultValue; }
    bool AllowZeroLength() const { return mV.AllowZeroLength; }
    bool IsAutoIncr() const { return mV.IsAutoIncr; }
    bool IsReadOnly() const { return mV.IsReadOnly; }
    const std::string& ValidationText() const { return mV.ValidationText; }
    const std::string& Format() const { return mV.Format; }
    const std::string& Description() const { return mV.Description; }
    std::int32_t ColumnWidth() const { return mV.ColumnWidth; }
    bool ColumnHidden() const { return mV.ColumnHidden; }
    std::int32_t TypeADO() const { return mV.TypeADO; }
    std::int32_t TypeDAO() const { return mV.TypeDAO; }
    bool IsPrimary() const { return mIsPrimary; }

    // The column's header cell, assigned by the form once the header row is written.
    const std::shared_ptr<IRange>& Cell() const { return mCell; }
    void SetCell(std::shared_ptr<IRange> cell) { mCell = std::move(cell); }

  private:
    Values mV;
    bool mIsPrimary = false;
    std::shared_ptr<IRange> mCell;
};

} // namespace qv
