// The add-in's toolbox of common services, one instance held by the application controller:
// settings access, the switchable messages, SQL statement classification, database error
// clean-up, the start-up checks (components, single edition), the large-load and workbook
// confirmations, hot keys and command-bar states, the settings-driven sheet formatting, and a
// few text and file-name operations.
//
// clsAux keeps no state between calls. Everything it reaches comes in through AuxContext:
// platform services as pointers, the host objects and the controller's state as getters, so
// that the same instance can be built before the host is bound and tests can wire fakes.
#pragma once

#include "platform/Variant.h"
#include "platform/host/IApplication.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class ISettings;
class ICB;
class IDialogs;
class IDialogToolkit;
class IObjectFactory;
class IShell;
class IRegistryStore;
class IAdoRecordset;
class ICommandBarControl;

struct AuxContext {
    std::function<ApplicationPtr()> application;
    std::function<WorkbookPtr()> addinWorkbook; // carries the "Revision Number" and its full path
    ISettings* settings = nullptr;
    IDialogs* dialogs = nullptr;
    IDialogToolkit* toolkit = nullptr;
    IObjectFactory* objects = nullptr;
    IShell* shell = nullptr;
    IRegistryStore* registry = nullptr;

    // The controller's state. A missing getter answers "no".
    std::function<bool()> formIsOpen;        // a worksheet form exists
    std::function<bool()> formAllowsChanges; // the form's data source allows adding, writing, deleting
    std::function<WorksheetPtr()> formSheet; // the open form's worksheet, or null

    // The controller's web-page opener; without it the shell opens the address.
    std::function<void(const std::string&)> openWebPage;
    // The shared sheet-fill routine: writes the field name at (row, column) and the records below
    // it; answers the number of records written. Without it the names and values are written
    // plainly.
    std::function<long(IWorksheet&, IAdoRecordset&, long row, long column)> fillSheetFromRecordset;
};

// The database column properties of one column of a formatted range, in range order.
struct ColumnProperties {
    bool hidden = false;
    long widthTwips = -1; // -1: no stored width
};

class clsAux {
  public:
    // Statement kinds as command-bar icon numbers.
    static constexpr long IconDataDefinition = 212;
    static constexpr long IconParameters = 628;
    static constexpr long IconDelete = 536;
    static constexpr long IconUpdate = 534;
    static constexpr long IconCrosstab = 532;
    static constexpr long IconAppend = 535;
    static constexpr long IconMakeTable = 533;
    static constexpr long IconUnion = 530;
    static constexpr long IconSelect = 531;
    static constexpr long IconOther = 463;

    explicit clsAux(AuxContext context);

    // --- settings, forwarded to the store
    Variant GetSetting(const std::string& name);
    void SaveSetting(int valueType, const std::string& name, const Variant& value);
    Variant ReadSetting(const std::string& name);
    bool IsMessageEnabled(const std::string& name);

    // --- messages
    // Shows the text in the message dialog while its switch is on; nothing otherwise.
    void ShowUserMessage(const std::string& switchName, const std::string& text);
    // Asks, switches every message back on and confirms; false when the person said No or it failed.
    bool RestoreUserMessages();

    // --- statements and database errors
    static long GetQueryIcon(const std::string& sql);
    static bool IsDataDefinition(const std::string& sql);
    static std::string NormaliseForDdlTest(const std::string& sql);
    // Message 7, the data source kind of this edition, ":" and the cleaned driver text.
    std::string FormatDbError(const std::string& errorText);
    static std::string FormatDbError(const std::string& errorText, const std::string& kindName);

    // --- edition
    int RevisionNumber();                                // of the add-in workbook; 0 when it has none
    static std::string DataSourceKindName(int revision); // 668 "No such version!" outside 11, 12, 21, 22

    // --- start-up checks; both show their own message and answer false on failure
    bool CheckComponents();
    bool CheckSingleEdition();

    // --- confirmations
    bool CancelLargeLoad(const IAdoRecordset& rs);
    // action "close" or "save"; anything else raises 668.
    bool ConfirmWorkbookAction(const std::string& action, bool formHasUnsavedChanges, long worksheetCount);

    // --- command surfaces
    void SetHotKeys(ICB& commandBar, bool enabled);
    void SetControlEnabled(ICB& commandBar, const std::string& tag, bool enabled);
    void SetExecuteSqlEnabled(ICB& commandBar, bool enabled);
    void ResetCommandBar(ICB& commandBar);
    static void InitSubMenuControl(ICommandBarControl& popup);

    // --- sheet formatting by the settings
    void ApplyHeaderFormat(IRange& range);
    void ApplyMatrixBorders(IRange& range);
    void ApplyColumnLayout(IRange& range, const std::vector<ColumnProperties>& fields = {});
    void ApplyFreezeTopRow(IWorksheet& sheet);
    void ApplyFormFormat(IRange& range, const std::vector<ColumnProperties>& fields = {});
    // Raises 666 with message 31 when the record set has at least as many records as the sheet
    // has rows below a header row; a fill must ask this before it writes anything, since the
    // host's bulk copy stops at the last row without a word.
    static void CheckRecordLimit(const IAdoRecordset& rs, IWorksheet& sheet);
    // The same rule for a sheet of the given number of rows, before any sheet exists.
    static void CheckRecordLimit(const IAdoRecordset& rs, long long sheetRows);
    // Writes the record set as a list at (row, column) and names its values; answers the number
    // of list values (1 for an empty list, which holds "[leeg]"). Raises 666 (message 31) and
    // writes nothing when the records do not fit the sheet.
    long WriteListToSheet(IWorksheet& sheet, IAdoRecordset& rs, const std::string& listName, long row,
                          long column);

    // --- text and file names
    static std::string ColumnLetters(long column);
    // Each dotted part in brackets, a "]" inside a part doubled.
    static std::string QuoteName(const std::string& dottedName);
    static std::string TextAfterFirstDot(const std::string& text);
    static std::string FileExtension(const std::string& path);
    static std::string FileNameOf(const std::string& path);
    static bool IsNumericKey(int keyCode);
    static std::string SheetPassword() { return "k47m"; }

  private:
    ApplicationPtr app() const;
    WorkbookPtr addinWorkbook() const;
    ISettings& settings() const;
    IDialogs& dialogs() const;
    int ask(const std::string& text) const; // Yes/No question; answers the button
    bool settingIsTrue(const std::string& name);
    bool onFormSheet(const IRange& range) const;
    void openWebPage(const std::string& address) const;

    AuxContext mCtx;
};

} // namespace qv
