// The add-in library's exported entry points: what the host finds with dlsym after loading the
// library for the ProgID "Quorvel.Interface12". The names and signatures are the add-in binary
// contract (platform/AddinAbi.h).
#include "host/Interface12.h"
#include "platform/AddinAbi.h"
#include "platform/IRegistryStore.h"

#include <dlfcn.h>
#include <string>

extern "C" {

__attribute__((visibility("default"))) qv::IObject* qv_create_object(const char* progId,
                                                                     const qv::PlatformServices* services) {
    if (!progId || std::string(progId) != qv::Interface12::PROG_ID || !services) return nullptr;
    // Nothing may unwind through the C boundary; a host without the services the add-in needs
    // gets no object, which it reports as a class that cannot be created.
    try {
        return new qv::Interface12(*services);
    } catch (...) {
        return nullptr;
    }
}

__attribute__((visibility("default"))) bool qv_register_server(qv::IRegistryStore* registry) {
    if (!registry) return false;
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&qv_register_server), &info) || !info.dli_fname) return false;
    // A store that cannot be written (a full disk, a locked file) raises; across the C boundary
    // that is a failed registration, which the host reports as a class that cannot be created.
    try {
        return qv::addin::writeRegistration(*registry, qv::Interface12::PROG_ID, info.dli_fname);
    } catch (...) {
        return false;
    }
}
}
