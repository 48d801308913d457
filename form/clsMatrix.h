// The matrix: the data area of the form, the header row and one row per record. It loads a
// record set into the form sheet, owns the form's fields and record counts, and gives each
// column the validation rule of its type, or the lookup list of the table it refers to.
#pragma once

#include "datasource/KeyedCollection.h"
#include "datasource/clsField.h"
#include "form/clsFormNames.h"
#include "platform/engine/IAdoRecordset.h"
#include "platform/host/IWorksheet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class clsForm;
class IProgress;

class clsMatrix {
  public:
    explicit clsMatrix(clsForm& form);
    ~clsMatrix();

    // Loads the record set of sql into sheet; with warn, a load above "Setting warning nr of
    // cells" is confirmed first (665 when the person declines). Returns the record set, its
    // cursor anywhere. With a progress, the fill goes in chunks and a cancel raises 665 and
    // leaves the header and whatever rows were copied on the sheet for the caller to release.
    AdoRecordsetPtr LoadMatrix(IWorksheet& sheet, const std::string& sql, bool warn,
                               IProgress* progress = nullptr);
    // The validation of one column: the whole data column, or with insert only the last record's
    // cell (the new row).
    void FinalizeColumnData(bool insert, const clsField& field);
    // The default values of a new row (built beside the write-back).
    void FormatNewFields();

    // --- fields, in record-set order
    long FieldCount() const { return static_cast<long>(mFieldArray.size()); }
    const clsField& Field(long index) const; // 0-based; raises 9 outside
    clsField& Field(long index);
    const clsField& Field(const std::string& name) const; // raises 5 when absent
    bool HasField(const std::string& name) const;
    const std::vector<std::unique_ptr<clsField>>& Fields() const { return mFieldArray; }

    // --- geometry
    RangePtr DataRange() const { return mDataRange; }
    void SetDataRange(RangePtr range) { mDataRange = std::move(range); }
    std::int32_t RecordCount() const { return mRecordCount; }
    void SetRecordCount(std::int32_t n) { mRecordCount = n; }
    std::int32_t LoadedCount() const { return mLoadedCount; }
    void SetLoadedCount(std::int32_t n) { mLoadedCount = n; }
    // The cell of record n (1-based) in field f (0-based): the header cell of f moved down n rows.
    RangePtr CellOf(long record, long field) const;
    // The data cells below the header, RecordCount rows tall; null without records.
    RangePtr DataCells() const;
    // The data column of field f (0-based) below the header; null without records.
    RangePtr DataColumn(long field) const;

    clsFormNames& Names() { return *mNames; }

  private:
    void BuildFields(IAdoRecordset& rs);
    bool IsLookupColumn(const clsField& field, const class clsRelation** relation) const;

    clsForm& mForm;
    std::unique_ptr<clsFormNames> mNames;
    std::vector<std::unique_ptr<clsField>> mFieldArray;
    RangePtr mDataRange;
    std::int32_t mRecordCount = 0;
    std::int32_t mLoadedCount = 0;
};

} // namespace qv
