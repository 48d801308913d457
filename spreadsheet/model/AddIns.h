// The application's add-in list (IAddIns), kept in the registry store given to the application
// and read back from it when the list is first asked for. Loading is the host's: it hands a
// loader that starts a package as its add-ins start and answers a handle whose release unloads
// it. Without one, a package is opened as a workbook and closed again.
#pragma once

#include "platform/IRegistryStore.h"
#include "platform/NumberedError.h"
#include "platform/host/IAddIns.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv::sheet {

class AddIn;
class Application;

class AddIns : public IAddIns {
  public:
    // A package as the host loaded it: uninstall() lets it take its menus away; the release
    // closes it.
    struct Loaded {
        virtual ~Loaded() = default;
        virtual void uninstall() {}
    };
    using Loader = std::function<std::shared_ptr<Loaded>(const std::string& path)>;

    // The list kept under HKEY_CURRENT_USER\<key>; a null store keeps it for this run only.
    AddIns(Application& app, IRegistryStore* store, std::string key);
    ~AddIns() override;

    long count() const override { return static_cast<long>(mItems.size()); }
    AddInPtr item(long index) const override;
    AddInPtr find(const std::string& pathOrName) const override;
    AddInPtr add(const std::string& path) override;

    // --- host side
    void setLoader(Loader loader) { mLoader = std::move(loader); }
    // The host's own package at this path: its entry; else the entry of a package of the same
    // file name listed from elsewhere (an earlier installation or build of the host), moved here
    // with the person's choice kept; else a new entry, installed (and so loaded). A listed entry
    // loads with the others (loadInstalled).
    AddInPtr own(const std::string& path);
    // Loads every installed package not loaded yet, in the list's order. One that cannot be
    // loaded is marked uninstalled and its error answered, for the host to tell the person.
    std::vector<NumberedError> loadInstalled();
    // The host goes away: every package is let go as it stands, and the list is kept as it is.
    void releaseAll();

    // Called by the entries.
    std::shared_ptr<Loaded> load(const std::string& path);
    void save();

  private:
    void read();
    Application& mApp;
    IRegistryStore* mStore;
    std::string mKey;
    Loader mLoader;
    std::vector<std::shared_ptr<AddIn>> mItems;
};

} // namespace qv::sheet
