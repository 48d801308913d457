// The host's list of add-in packages: every package a person has added, each with whether it is
// installed (loaded at start and while the host runs) or only listed. The list is the person's
// own, kept in the registry store and read back at the next start.
#pragma once

#include <memory>
#include <string>

namespace qv {

class IAddIn {
  public:
    virtual ~IAddIn() = default;
    virtual std::string name() const = 0;     // the file name, "Quorvel12.xlam"
    virtual std::string title() const = 0;    // the package's Title property; else the name without extension
    virtual std::string fullName() const = 0; // the absolute path
    virtual bool installed() const = 0;
    // Installing loads the package as the host loads every add-in; uninstalling lets it take its
    // menus away and closes it. Error 1004 when the package cannot be loaded: it stays uninstalled.
    virtual void setInstalled(bool installed) = 0;
};
using AddInPtr = std::shared_ptr<IAddIn>;

class IAddIns {
  public:
    virtual ~IAddIns() = default;
    virtual long count() const = 0;
    virtual AddInPtr item(long index) const = 0; // 1-based; error 9 outside the list
    // The entry of this file (a path) or of this file name; null when it is not listed.
    virtual AddInPtr find(const std::string& pathOrName) const = 0;
    // Lists a package, not installed; a file already listed answers its entry and adds nothing.
    // Error 1004 when the file is missing or is not an add-in package the host can read: the
    // list is then unchanged.
    virtual AddInPtr add(const std::string& path) = 0;
};
using AddInsPtr = std::shared_ptr<IAddIns>;

} // namespace qv
