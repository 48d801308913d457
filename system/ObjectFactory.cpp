// ObjectFactory. Libraries are opened with RTLD_NOW so that a library with missing symbols
// fails here, with the loader's message, rather than later in the middle of a command.
#include "system/ObjectFactory.h"

#include "platform/AddinAbi.h"
#include "platform/NumberedError.h"

#include <cctype>
#include <dlfcn.h>

namespace qv {

namespace {

constexpr const char* CannotCreate = "ActiveX component can't create object";

std::string foldProgId(const std::string& id) {
    std::string out = id;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

[[noreturn]] void cannotCreate(const std::string& detail) {
    throw NumberedError(err::CannotCreateObject, "ObjectFactory", std::string(CannotCreate) + ": " + detail);
}

std::string textValue(IRegistryStore& reg, const std::string& progId, const char* name) {
    auto v = reg.queryValue(reg::HKEY_CLASSES_ROOT, progId, name);
    if (!v || (v->type != reg::REG_SZ && v->type != reg::REG_EXPAND_SZ)) return {};
    std::string s(v->data.begin(), v->data.end());
    if (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

} // namespace

ObjectFactory::ObjectFactory(IRegistryStore& registry, const PlatformServices* services)
    : mRegistry(registry), mServices(services) {}

ObjectFactory::~ObjectFactory() = default;

void ObjectFactory::registerClass(const std::string& progId, Creator creator) {
    mCreators[foldProgId(progId)] = std::move(creator);
}

bool ObjectFactory::isRegistered(const std::string& progId) const {
    if (progId.empty()) return false;
    if (mCreators.count(foldProgId(progId))) return true;
    return !textValue(mRegistry, progId, addin::LibraryValue).empty();
}

std::string ObjectFactory::libraryPath(const std::string& progId) const {
    if (progId.empty() || mCreators.count(foldProgId(progId))) return {};
    return textValue(mRegistry, progId, addin::LibraryValue);
}

std::shared_ptr<void> ObjectFactory::load(const std::string& path, const std::string& what) {
    auto it = mLibraries.find(path);
    if (it != mLibraries.end()) return it->second;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        cannotCreate("the library of " + what + " cannot be loaded: " + (why ? why : path));
    }
    std::shared_ptr<void> lib(handle, [](void* h) { ::dlclose(h); });
    mLibraries.emplace(path, lib);
    return lib;
}

ObjectPtr ObjectFactory::createObject(const std::string& progId) {
    if (auto it = mCreators.find(foldProgId(progId)); it != mCreators.end()) {
        ObjectPtr obj = it->second();
        if (!obj) cannotCreate("'" + progId + "' did not create an object");
        return obj;
    }
    const std::string path = textValue(mRegistry, progId, addin::LibraryValue);
    if (path.empty()) cannotCreate("'" + progId + "' is not registered");
    std::string symbol = textValue(mRegistry, progId, addin::FactoryValue);
    if (symbol.empty()) symbol = addin::CreateObjectSymbol;

    std::shared_ptr<void> lib = load(path, "'" + progId + "' (" + path + ")");
    ::dlerror();
    auto create = reinterpret_cast<addin::CreateObjectFn>(::dlsym(lib.get(), symbol.c_str()));
    if (!create) cannotCreate("the library " + path + " of '" + progId + "' has no function " + symbol);
    IObject* raw = create(progId.c_str(), mServices);
    if (!raw) cannotCreate("the library " + path + " does not create '" + progId + "'");
    // The deleter holds the library, so that the object's code stays mapped while it lives,
    // even past this factory.
    return ObjectPtr(raw, [lib](IObject* o) { delete o; });
}

void ObjectFactory::registerServer(const std::string& libraryPath) {
    std::shared_ptr<void> lib = load(libraryPath, libraryPath);
    ::dlerror();
    auto reg = reinterpret_cast<addin::RegisterServerFn>(::dlsym(lib.get(), addin::RegisterServerSymbol));
    if (!reg)
        cannotCreate(libraryPath + " is not an add-in library (it has no " + addin::RegisterServerSymbol +
                     ")");
    if (!reg(&mRegistry)) cannotCreate(libraryPath + " could not register its classes");
}

} // namespace qv
