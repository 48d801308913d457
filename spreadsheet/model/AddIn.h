// One package of the application's add-in list. Installed and loaded are apart: a restored list
// knows which packages are installed before the host has loaded any of them.
#pragma once

#include "platform/host/IAddIns.h"
#include "spreadsheet/model/AddIns.h"

#include <memory>
#include <string>

namespace qv::sheet {

class AddIn : public IAddIn {
  public:
    AddIn(AddIns& list, std::string path, std::string title, bool installed);

    std::string name() const override;
    std::string title() const override;
    std::string fullName() const override { return mPath; }
    bool installed() const override { return mInstalled; }
    void setInstalled(bool installed) override;

    // --- host side
    bool loaded() const { return mLoaded != nullptr; }
    // Loads the package when it is installed and not loaded yet.
    void load();
    // Lets go of the loaded package without uninstalling it, as a host that quits.
    void release() { mLoaded.reset(); }
    // Marks the package uninstalled without asking it anything (it could not be loaded).
    void markUninstalled() { mInstalled = false; }
    // The same package found at another path; only while it is not loaded.
    void moveTo(std::string path) { mPath = std::move(path); }

  private:
    AddIns& mList;
    std::string mPath;
    std::string mTitle;
    bool mInstalled;
    std::shared_ptr<AddIns::Loaded> mLoaded;
};

} // namespace qv::sheet
