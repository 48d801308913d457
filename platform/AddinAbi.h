// The binary contract between the host and an add-in library, a shared object the host loads
// with dlopen when a ProgID registered in the registry store is created.
//
// Registration. A ProgID lives under HKEY_CLASSES_ROOT\<ProgID> with two REG_SZ values:
//   "Library"  the absolute path of the shared object;
//   "Factory"  the name of its exported creation function ("qv_create_object" when absent).
// A library writes these itself from its exported registration function, so that a library
// that is present but not yet registered can be registered by loading it once (the host's
// fallback when the first creation fails).
//
// Exports (extern "C", default visibility):
//   qv::IObject* qv_create_object(const char* progId, const qv::PlatformServices* services);
//       Creates the object of progId with new, or answers null for a ProgID it does not serve.
//       The caller owns the object and deletes it through IObject's virtual destructor; the
//       host keeps the library loaded for as long as any object of it lives. services stays
//       valid for the life of the host; it may be null in tests.
//   bool qv_register_server(qv::IRegistryStore* registry);
//       Writes the library's ProgIDs (normally with writeRegistration below); true on success.
//
// The add-in workbook's code modules. They are code apart from the add-in library, so that the
// workbook's fallbacks work when the library is missing: a shared object beside the package,
// named after it ("Quorvel12.xlam" -> "libQuorvel12-modules.so"), exporting
//   qv::IObject* qv_attach_workbook_code(const qv::WorkbookPtr* book, const qv::PlatformServices* services);
//       Registers the modules' macros with the book's application (owned by the book: closing
//       it drops them) and answers an IWorkbookCode the host may keep to reach the entry object
//       the modules created, or null when it could not attach. Neither argument may be null.
// The host loads it when it opens the package and never unloads it: the macros it registered
// are its code.
//
// Both sides must be built with the same compiler and standard library: the objects cross the
// boundary as C++ classes, the symbols as C names so that dlsym can find them.
#pragma once

#include "platform/IObjectFactory.h"
#include "platform/IRegistryStore.h"
#include "platform/PlatformServices.h"
#include "platform/host/IWorkbook.h"

#include <string>

namespace qv::addin {

inline constexpr const char* LibraryValue = "Library";
inline constexpr const char* FactoryValue = "Factory";
inline constexpr const char* CreateObjectSymbol = "qv_create_object";
inline constexpr const char* RegisterServerSymbol = "qv_register_server";
inline constexpr const char* AttachWorkbookCodeSymbol = "qv_attach_workbook_code";

extern "C" {
using CreateObjectFn = IObject* (*)(const char* progId, const PlatformServices* services);
using RegisterServerFn = bool (*)(IRegistryStore* registry);
using AttachWorkbookCodeFn = IObject* (*)(const WorkbookPtr* book, const PlatformServices* services);
}

// What a library's qv_register_server writes for each ProgID it serves.
inline bool writeRegistration(IRegistryStore& registry, const std::string& progId,
                              const std::string& libraryPath,
                              const std::string& factorySymbol = CreateObjectSymbol) {
    auto text = [](const std::string& s) { return RegistryValue{reg::REG_SZ, {s.begin(), s.end()}}; };
    return registry.createKey(reg::HKEY_CLASSES_ROOT, progId) &&
           registry.setValue(reg::HKEY_CLASSES_ROOT, progId, LibraryValue, text(libraryPath)) &&
           registry.setValue(reg::HKEY_CLASSES_ROOT, progId, FactoryValue, text(factorySymbol));
}

} // namespace qv::addin
