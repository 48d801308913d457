// The add-in workbook's code modules as the host needs them when the workbook in hand does not
// bring its own: the ribbon callbacks ("Ribbon.GetLabel", "Ribbon.Show", ...) and the menu and
// key procedures ("ThisWorkbook.Refresh", ...) forwarded to the add-in's entry object. Only
// names the workbook has not registered itself are added, so a package that carries its modules
// always wins. After each action the ribbon is invalidated, as the workbook's ribbon module does,
// because any action may change what the controls show.
#pragma once

#include <memory>

namespace qv {
class IAddinEntry;
class IWorkbook;
namespace sheet {
class Application;
}
} // namespace qv

namespace qv::app {

class AddinMacroBridge {
  public:
    // Registers the missing macros with `owner` (the add-in workbook) as their workbook.
    static int install(sheet::Application& app, const std::shared_ptr<IWorkbook>& owner,
                       const std::shared_ptr<IAddinEntry>& entry);
};

} // namespace qv::app
