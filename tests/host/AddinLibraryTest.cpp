#include "host/Globals.h"
#include "platform/AddinAbi.h"
#include "platform/IAddinEntry.h"
#include "platform/NumberedError.h"
#include "spreadsheet/model/Application.h"
#include "system/DialogScript.h"
#include "system/ObjectFactory.h"
#include "system/ScriptedDialogs.h"
#include "tests/support/TempRegistry.h"

#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace qv::test {

// The host's road to the add-in: a library present but not registered is registered by loading
// it once, then the entry object is created by its ProgID.
TEST(AddinLibraryTest, EntryObjectIsCreatedByProgIdFromTheSharedLibrary) {
    const std::string lib = QV_ADDIN_LIBRARY;
    ASSERT_TRUE(std::filesystem::exists(lib)) << lib;
    {
        TempRegistry registry;
        DialogScript script;
        ScriptedDialogs dialogs(script);
        PlatformServices services{registry.get(), &dialogs, nullptr, nullptr, nullptr};
        ObjectFactory factory(*registry);
        EXPECT_FALSE(factory.isRegistered("Quorvel.Interface12"));
        // Without services the library creates nothing: the add-in cannot run without a registry.
        factory.registerServer(lib);
        EXPECT_THROW(factory.createObject("Quorvel.Interface12"), NumberedError);
        factory.setServices(&services);
        EXPECT_TRUE(factory.isRegistered("Quorvel.Interface12"));
        ObjectPtr object = factory.createObject("Quorvel.Interface12");
        auto entry = objectAs<IAddinEntry>(object);
        ASSERT_TRUE(entry);
        // Created but not initialised: labels come from the catalogue, states are neutral.
        EXPECT_EQ(entry->GetLabel("cmdHelp"), "&Help");
        EXPECT_FALSE(entry->DataSourceExists());
    }
}

// A registry store that cannot be written at all.
class UnwritableRegistry : public RegistryStore {
  public:
    using RegistryStore::RegistryStore;
    bool createKey(std::uint32_t, const std::string&) override { throw std::runtime_error("disk I/O error"); }
};

// Nothing may unwind through the library's C entry points: a failure there is an answer.
TEST(AddinLibraryTest, RegistrationIntoAStoreThatFailsAnswersFalse) {
    const std::string lib = QV_ADDIN_LIBRARY;
    ASSERT_TRUE(std::filesystem::exists(lib)) << lib;
    TempDir dir;
    {
        std::unique_ptr<void, int (*)(void*)> handle(::dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL), ::dlclose);
        ASSERT_TRUE(handle) << ::dlerror();
        auto registerServer =
            reinterpret_cast<addin::RegisterServerFn>(::dlsym(handle.get(), addin::RegisterServerSymbol));
        ASSERT_TRUE(registerServer);
        UnwritableRegistry registry(dir.file("registry.db"));
        EXPECT_FALSE(registerServer(&registry));
        EXPECT_FALSE(registerServer(nullptr));
    }
}

} // namespace qv::test
