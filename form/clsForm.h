// The worksheet form: one per add-in, reused for every table shown. It binds the form sheet of
// the interface workbook to one table of the open data source and lays the table's rows out
// there as an editable grid (the matrix): row 1 the captions, record n in sheet row n + 1.
//
// Row states and key values are kept per record, apart from the sheet, so that a person can
// change a key cell and the write-back still finds the record as it was loaded. The sheet's
// fill colours mark the edited cells; the row states alone decide which rows are written.
//
// The write-back, deletion, new rows and the sheet-change handling live in their own source
// files (clsFormWrite.cpp and beside it); this class declares them so that callers see one form.
#pragma once

#include "datasource/KeyedCollection.h"
#include "datasource/clsFilter.h"
#include "form/FormContext.h"
#include "form/KeyValueTable.h"
#include "form/clsMatrix.h"
#include "platform/NumberedError.h"
#include "platform/Variant.h"
#include "platform/host/IWorksheet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class ITable;
class IDS;
class clsAux;

// The colours of the form as the settings give them, read at once (OLE colour numbers).
struct FormColours {
    long formBack = 0;
    long matrixFront = 0;
    long titleBack = 0;
    long titleFront = 0;
    long matrixBack = 0;
    long readOnlyBack = 0;
    long readOnlyFront = 0;
    long editedBack = 0;
    long editedFront = 0;
    long lines = 0;
};

class clsForm {
  public:
    clsForm() = default;
    explicit clsForm(FormContext context);
    ~clsForm();
    clsForm(const clsForm&) = delete;
    clsForm& operator=(const clsForm&) = delete;

    // --- state
    WorksheetPtr Sheet() const { return mSheet; }
    void SetSheet(WorksheetPtr sheet) { mSheet = std::move(sheet); }
    WorksheetPtr ListsSheet() const { return mListsSheet; }
    void SetListsSheet(WorksheetPtr sheet) { mListsSheet = std::move(sheet); }
    // The matrix of the table now shown; null before the first show and after Release.
    clsMatrix* Matrix() const { return mMatrix.get(); }
    const std::string& Name() const { return mName; }
    // One element per record (index = record number - 1): "1" unsaved edits, "0" or empty clean.
    std::vector<std::string> RowStates() const { return mRowStates; }
    // Record n (1-based) marked or cleared; the vector grows for a record beyond its end.
    void SetRowState(long record, const std::string& state);
    const std::string& RowState(long record) const;
    // A new row's state; RowStates grows by one element.
    void AppendRowState(const std::string& state = {});
    // The key values of each loaded record, same index as RowStates.
    const KeyValueTable& KeyValues() const { return mKeyValues; }
    // A new row once written: its key values as inserted, so it is addressed like a loaded record.
    void SetKeyValues(long record, KeyValueCollection values);
    long EditedColour() const { return mEditedColour; }
    void SetEditedColour(long colour) { mEditedColour = colour; }
    const std::vector<clsFilter>& Filters() const { return mFilters; }

    bool HasMatrix() const { return mMatrix != nullptr; }
    bool HasEdits() const;
    bool HasChanges() const { return HasEdits(); }
    // The table shown has a primary key: rows can be added, written and deleted.
    bool AllowsChanges() const;

    // --- commands (3.1)
    // An empty name shows the table at position index of the catalogue's list (1-based; below 1
    // the clicked control's parameter); a name reloads the table now shown.
    void Show(const std::string& name, int index);
    void Refresh();
    void Close();
    void CloseWorkbook() { Close(); }
    // Re-formats the shown form with the settings as stored (the settings dialog's Apply and OK):
    // colours, header, borders, column layout and frozen panes, the sheet protected again.
    // Nothing to do while no form is shown.
    void ApplySettings();
    void ClearFormatting();
    void Release();

    // --- commands built in the sibling sources
    void OnSheetChange(const RangePtr& target);
    void WriteData();
    void DeleteRows();
    void AddRow();

    // --- helpers the form's commands share
    // The settings' colours, read anew.
    FormColours ReadColours() const;
    // Begin and end protected work on the form sheet and the workbook structure.
    void UnprotectForm();
    void ProtectForm();
    // Colours and locks the data cells of range: editable first, then the read-only columns.
    // With newRow only the one row given is touched.
    void FormatRows(IRange& range, bool newRow);
    void SaveFilter();
    void RestoreFilter();
    // Scrolls the window so the cell is in view with 10 rows and 5 columns of context.
    void ScrollIntoView(IRange& cell);
    // Enables or disables a control (by tag) on both command surfaces.
    void SetControlEnabled(const std::string& tag, bool enabled);

    const FormContext& Context() const { return mCtx; }
    ApplicationPtr App() const;
    IDS& DataSource() const;
    clsAux& Aux() const;

  private:
    void PrepareSheet();
    void LoadData(bool newObject, const std::string& sql);
    void FormatMatrix(bool newObject, const std::string& selection);
    void ShowFieldDescriptions();
    void ApplyFormLayout();
    std::string ObjectName(int index) const;
    // The form's sheet name for the object: forbidden characters replaced, cut to fit.
    std::string SheetNameFor(const std::string& object) const;
    void EndShowReleased();
    // Between the long steps after the record copy: the person watching may have cancelled,
    // and the window repaints only while the load asks.
    void CheckCancelled() const;
    // The write-back's report of the failure that stopped it at record (field -1: the row).
    void ReportWriteFailure(const NumberedError& e, long record, long field, const std::string& sql);
    // The database's error text with "Table.Field" turned into the field's caption; selects it.
    std::string LocateErrorField(long record, const std::string& message);

    FormContext mCtx;
    WorksheetPtr mSheet;
    WorksheetPtr mListsSheet;
    std::unique_ptr<clsMatrix> mMatrix;
    std::string mName;
    std::vector<std::string> mRowStates = std::vector<std::string>(1);
    KeyValueTable mKeyValues;
    long mEditedColour = 0;
    std::vector<clsFilter> mFilters;
};

} // namespace qv
