// Class activation by ProgID. Two sources, asked in this order: classes registered in-process
// (engines and test doubles linked into the host), and classes registered in the registry
// store under HKEY_CLASSES_ROOT, which live in add-in libraries loaded on first use (see
// AddinAbi.h). ProgIDs compare case-insensitively, as they do in the registry.
#pragma once

#include "platform/IObjectFactory.h"
#include "platform/IRegistryStore.h"
#include "platform/PlatformServices.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace qv {

class ObjectFactory : public IObjectFactory {
  public:
    using Creator = std::function<ObjectPtr()>;

    // services is handed to every library-created object; it may be set later.
    explicit ObjectFactory(IRegistryStore& registry, const PlatformServices* services = nullptr);
    ~ObjectFactory() override;
    ObjectFactory(const ObjectFactory&) = delete;
    ObjectFactory& operator=(const ObjectFactory&) = delete;

    void setServices(const PlatformServices* services) { mServices = services; }
    void registerClass(const std::string& progId, Creator creator);

    // Raises 429 with a description that says what is missing: the registration, the library
    // (with the loader's reason), its creation function, or the object.
    ObjectPtr createObject(const std::string& progId) override;
    bool isRegistered(const std::string& progId) const override;
    // The library registered for progId; empty for an in-process class or an unknown one.
    std::string libraryPath(const std::string& progId) const;

    // Loads the library at path and lets it register its classes (qv_register_server); the
    // host's answer to a library that is present but not registered. Raises 429 when the file
    // is not an add-in library or its registration fails.
    void registerServer(const std::string& libraryPath) override;

  private:
    // A loaded library; objects created from it keep it loaded.
    std::shared_ptr<void> load(const std::string& path, const std::string& progId);

    IRegistryStore& mRegistry;
    const PlatformServices* mServices;
    std::map<std::string, Creator> mCreators;                // by folded ProgID
    std::map<std::string, std::shared_ptr<void>> mLibraries; // by path
};

} // namespace qv
