#include "HostFixture.h"

#include "engines/sqlite/SqliteEngineClasses.h"
#include "platform/IRegistryStore.h"

#include <cstdlib>
#include <unistd.h>

namespace qv::test {

void HostFixture::SetUp() {
    mDir = std::filesystem::temp_directory_path() /
           ("qv-host-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(mDir);
    std::filesystem::create_directories(mDir);
    mDialogs = std::make_unique<ScriptedDialogs>(mScript);
    mToolkit = std::make_unique<ScriptedToolkit>(mScript);
    mShell = std::make_unique<Shell>();
}

void HostFixture::TearDown() {
    stopAddin();
    goApplication.reset();
    goAddinWorkbook.reset();
    mApp.reset();
    if (mOldTemp) {
        if (mOldTemp->empty())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", mOldTemp->c_str(), 1);
    }
    std::filesystem::remove_all(mDir);
}

void HostFixture::useOwnTempFolder() {
    const char* old = std::getenv("TMPDIR");
    if (!mOldTemp) mOldTemp = old ? old : "";
    const std::filesystem::path temp = mDir / "temp";
    std::filesystem::create_directories(temp);
    ::setenv("TMPDIR", temp.c_str(), 1);
}

void HostFixture::startHost(const Options& o) {
    mRevision = o.revision;
    mObjects = std::make_unique<ObjectFactory>(*mRegistry);
    if (o.registerEngines) {
        registerSqliteEngineClasses([&](std::string progId, std::function<ObjectPtr()> create) {
            if (progId != o.skipClass) mObjects->registerClass(progId, std::move(create));
        });
    }
    mServices =
        PlatformServices{mRegistry.get(), mDialogs.get(), mToolkit.get(), mShell.get(), mObjects.get()};
    mServices.progress = o.progress;
    mObjects->setServices(&mServices);

    sheet::ApplicationOptions ao;
    ao.version = o.version;
    ao.locale = o.dutch ? sheet::Locale::Dutch : sheet::Locale::English;
    ao.dialogs = mDialogs.get();
    ao.sheetsInNewWorkbook = o.sheetsInNewWorkbook;
    mApp = sheet::Application::create(ao);
    mAddinBook = mApp->addWorkbook();
    mAddinBook->setBuiltinProperty("Revision Number", Variant(o.revision));
}

void HostFixture::startAddin(const Options& o) {
    startHost(o);
    mEntry = std::make_unique<Interface12>(mServices);
    mEntry->Initialize(mAddinBook);
}

void HostFixture::stopAddin() {
    mEntry.reset();
}

CommandBarPtr HostFixture::toolbar() const {
    return mApp->commandBars()->find("Quorvel LT");
}

CommandBarControlPtr HostFixture::menuPopup() const {
    return mApp->commandBars()->find(WorksheetMenuBar)->controls()->findByCaption("&Quorvel LT");
}

std::string HostFixture::storedText(const std::string& name) {
    auto v =
        mRegistry->queryValue(reg::HKEY_CURRENT_USER, "SOFTWARE\\Quorvel" + std::to_string(mRevision), name);
    if (!v) return "<missing>";
    return std::string(v->data.begin(), v->data.end());
}

} // namespace qv::test
