// The workbook's ribbon module: the callbacks the ribbon definition names ("Ribbon.GetLabel"
// and so on), each forwarded by name to the entry object. No callback lets an error reach the
// host: action callbacks answer one by invalidating the whole ribbon so that its states are
// asked again, state callbacks by answering nothing, which leaves the control's static value.
#pragma once

#include "host/workbook/WorkbookGlobals.h"

#include <string>
#include <vector>

namespace qv::xlam {

class Ribbon {
  public:
    explicit Ribbon(WorkbookGlobals& globals) : g(globals) {}

    // Registers every callback as "Ribbon.<name>" for `owner`; each keeps `keepAlive` (the
    // project this module belongs to) for as long as the host holds it.
    void registerMacros(IApplication& app, const WorkbookPtr& owner, const std::shared_ptr<void>& keepAlive);

    void ribbonLoaded(const Variant& ribbon);
    void GetDatabase();
    void Show(int index);
    void ExecuteQuery(int index);
    void ExecuteView(int index);
    void ExecuteSQL();
    void AddRow(const std::string& controlId);
    void WriteData();
    void DeleteRows();
    void Refresh();
    void ShowSettings(const std::string& controlId);
    void ShowHelp();
    void ShowInfo();
    void CloseWorkbook();
    void ShowAllSheets();
    void Init();
    Variant GetEnabled(const std::string& controlId);
    Variant GetVisible(const std::string& controlId);
    Variant GetLabel(const std::string& controlId);
    Variant GetImage(const std::string& controlId);
    Variant TogglebuttonPressed() { return Variant(false); }
    Variant DDGetItemCount(const std::string& controlId);
    Variant DDGetItemLabel(const std::string& controlId, int index);
    Variant DDGetSelectedItemIndex() { return Variant(0); }
    void InvalidateRibbon();
    void InvalidateRibbonControl(const std::string& controlId);

  private:
    IAddinEntry& quorvel(); // error 91 when there is no entry object
    template <class F> void action(F&& body);
    template <class F> Variant state(F&& body);

    WorkbookGlobals& g;
};

} // namespace qv::xlam
