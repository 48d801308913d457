// Wires the add-in the way the desktop application does: our spreadsheet host, a registry store
// in a temporary file, the class factory with the database engines, and scripted dialogs.
#pragma once

#include "host/Globals.h"
#include "host/Interface12.h"
#include "platform/IObjectFactory.h"
#include "platform/host/IApplication.h"
#include "spreadsheet/model/Application.h"
#include "system/DialogScript.h"
#include "system/ObjectFactory.h"
#include "system/ScriptedDialogs.h"
#include "system/ScriptedToolkit.h"
#include "system/Shell.h"
#include "tests/support/TempRegistry.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

namespace qv::test {

struct HostOptions {
    int revision = 12;
    std::string version = "12.0";
    bool dutch = false;
    bool registerEngines = true;
    std::string skipClass; // a ProgID left unregistered
    int sheetsInNewWorkbook = 1;
    IProgress* progress = nullptr; // what the add-in reports long loads to
};

class HostFixture : public ::testing::Test {
  protected:
    using Options = HostOptions;

    void SetUp() override;
    void TearDown() override;

    // Starts the host and the add-in workbook; does not create the entry object.
    void startHost(const Options& options);
    // Creates the entry object as the add-in workbook does and initialises it.
    void startAddin(const Options& options = {});
    void stopAddin();
    // Points TMPDIR at a folder of this test (where the interface workbook is saved) until the
    // test ends.
    void useOwnTempFolder();

    CommandBarPtr toolbar() const;
    CommandBarControlPtr menuPopup() const;
    std::string storedText(const std::string& settingName);

    std::filesystem::path mDir;
    DialogScript mScript;
    std::unique_ptr<ScriptedDialogs> mDialogs;
    std::unique_ptr<ScriptedToolkit> mToolkit;
    TempRegistry mRegistry;
    std::unique_ptr<Shell> mShell;
    std::unique_ptr<ObjectFactory> mObjects;
    PlatformServices mServices;
    std::shared_ptr<sheet::Application> mApp;
    WorkbookPtr mAddinBook;
    std::unique_ptr<Interface12> mEntry;
    int mRevision = 12;
    std::optional<std::string> mOldTemp; // TMPDIR before useOwnTempFolder; "" when unset
};

} // namespace qv::test
