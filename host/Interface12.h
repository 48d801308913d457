// The add-in library's one public, creatable class (ProgID "Quorvel.Interface12"). The add-in
// workbook creates it when it opens, hands itself to Initialize, and from then on routes every
// ribbon callback, hot key and command through it. It holds no state of its own: it owns the
// library's globals, forwards commands to the controller and answers the ribbon's questions.
#pragma once

#include "platform/IAddinEntry.h"
#include "platform/IObjectFactory.h"
#include "platform/PlatformServices.h"
#include "platform/host/IWorkbook.h"

#include <memory>
#include <string>

namespace qv {

template <class T> class KeyedCollection;
using NameCollectionPtr = std::shared_ptr<KeyedCollection<std::string>>;

class Interface12 : public IObject, public IAddinEntry {
  public:
    static constexpr const char* PROG_ID = "Quorvel.Interface12";

    explicit Interface12(const PlatformServices& services);
    ~Interface12() override;

    void Initialize(const WorkbookPtr& oWorkbook) override;
    void AddinUninstall() override;
    void GetDatabase() override;
    void Show(int IndexRibbonDropDown) override;
    void ExecuteView(int IndexRibbonDropDown) override;
    void ExecuteQuery(int IndexRibbonDropDown) override;
    void ExecuteSQL() override;
    void AddRow() override;
    void WriteData() override;
    void DeleteRows() override;
    void Refresh() override;
    void ShowHelp() override;
    void ShowInfo() override;
    void ShowSettings() override;
    void ShowAllSheets() override;
    void CloseWorkbook() override;
    void ShowFirstMessage() override;
    void SayHello() override;

    std::string GetLabel(const std::string& ControlID) override;
    std::string GetImage(const std::string& ControlID) override;
    bool GetEnabled(const std::string& ControlID) override;
    bool GetVisible(const std::string& ControlID) override;

    NameCollectionPtr Tables() const; // null when there is no controller
    NameCollectionPtr Queries() const;
    NameCollectionPtr Views() const;
    std::optional<std::vector<std::string>> TableList() const override;
    std::optional<std::vector<std::string>> QueryList() const override;
    std::optional<std::vector<std::string>> ViewList() const override;
    bool DataSourceExists() const override;
    WorksheetPtr Sheet() const override;
    bool OpenDatabaseFile(const std::string& path) override;
    AdoRecordsetPtr TableRecordset(const std::string& table) override;

  private:
    // The ribbon answers behind the boundary of the public getters.
    std::string label(const std::string& ControlID);
    std::string image(const std::string& ControlID);
    bool enabled(const std::string& ControlID);
    bool visible(const std::string& ControlID);
    bool GetControlState(const std::string& tag, bool wantVisible);
    void notImplemented(const std::string& callback, const std::string& controlId);
    // Runs a forwarded command in the command trap; a missing controller is the unset-object
    // error for the caller.
    template <class F> void forward(F&& f);
};

} // namespace qv
