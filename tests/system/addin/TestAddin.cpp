// A tiny add-in library for the activation tests: it serves "Quorvel.TestGreeter" and
// registers itself under its own path.
#include "platform/AddinAbi.h"
#include "tests/system/addin/TestGreeter.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

namespace {

class Greeter : public qv::test::ITestGreeter {
  public:
    explicit Greeter(const qv::PlatformServices* s) : mServices(s) {}
    std::string greet() const override { return "Hallo van de bibliotheek"; }
    const qv::PlatformServices* services() const override { return mServices; }

  private:
    const qv::PlatformServices* mServices;
};

} // namespace

extern "C" __attribute__((visibility("default"))) qv::IObject*
qv_create_object(const char* progId, const qv::PlatformServices* services) {
    if (std::string(progId) != "Quorvel.TestGreeter") return nullptr;
    return new Greeter(services);
}

extern "C" __attribute__((visibility("default"))) bool qv_register_server(qv::IRegistryStore* registry) {
    Dl_info info{};
    if (!registry || !dladdr(reinterpret_cast<void*>(&qv_register_server), &info) || !info.dli_fname)
        return false;
    char full[PATH_MAX];
    if (!realpath(info.dli_fname, full)) return false;
    return qv::addin::writeRegistration(*registry, "Quorvel.TestGreeter", full);
}
