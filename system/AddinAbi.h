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
// Both sides must be built with the same compiler and standard library: the objects cross the
// boundary as C++ classes, the symbols as C names so that dlsym can find them.
#pragma once

#include "platform/IObjectFactory.h"
#include "platform/IRegistryStore.h"
#include "platform/PlatformServices.h"

#include <string>

namespace qv::addin {

inline constexpr const char* LibraryValue = "Library";
inline constexpr const char* FactoryValue = "Factory";
inline constexpr const char* CreateObjectSymbol = "qv_create_object";
inline constexpr const char* RegisterServerSymbol = "qv_register_server";

extern "C" {
using CreateObjectFn = IObject* (*)(const char* progId, const PlatformServices* services);
using RegisterServerFn = bool (*)(IRegistryStore* registry);
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
