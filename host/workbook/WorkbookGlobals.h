// The globals and constants the add-in workbook's code modules share. The workbook holds no
// logic of its own: everything here is either a name the product is built from or a handle on
// the entry object and the ribbon, so that a missing library leaves the globals empty and
// every callback on its harmless default.
#pragma once

#include "platform/IAddinEntry.h"
#include "platform/PlatformServices.h"
#include "platform/host/IApplication.h"
#include "platform/host/IRibbonUI.h"

#include <memory>
#include <string>

namespace qv::xlam {

inline constexpr const char* APP_NAME = "Quorvel";
// Raised when the library file is missing from the workbook's folder.
inline constexpr int ERR_NO_DLL = 666;
inline constexpr int ERR_OBJECT_NOT_SET = 91;

// What the shipped package carries in its document properties; the revision number is the
// edition switch and ends the library's file name, the entry class's ProgID and the tab id.
inline constexpr int AddinRevision = 12;
inline constexpr const char* AddinTitle = "Quorvel LT add-in";
inline constexpr const char* AddinKeywords = "Excel,Access,interface,integration";
inline constexpr const char* AddinDescription = "Enables two-way communication with MS Access from MS Excel.";
inline constexpr const char* AddinContentStatus = "Pre-final";
inline constexpr const char* SupportAddress = "support@quorvel.org";

struct WorkbookGlobals {
    const PlatformServices* services = nullptr;
    std::weak_ptr<IWorkbook> thisWorkbook;
    std::weak_ptr<IApplication> application;
    // goQuorvel: the entry object, null when creation failed. The object keeps its library
    // loaded; the typed pointer is the same object seen through its contract.
    ObjectPtr quorvelObject;
    std::shared_ptr<IAddinEntry> goQuorvel;
    // goRibbon: the ribbon handed to the load callback. Weak, because a ribbon may go away
    // with the window that showed it; invalidation is then skipped.
    std::weak_ptr<IRibbonUI> goRibbon;

    void releaseQuorvel() {
        goQuorvel.reset();
        quorvelObject.reset();
    }
};

// The library, class and folder names the start-up derives from the revision number; the
// library is a shared object on this platform, named like the product's own DLL.
std::string libraryFileName(int revision);
std::string className(int revision);

} // namespace qv::xlam
