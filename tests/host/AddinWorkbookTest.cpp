// The add-in workbook as the build ships it and as its code behaves: the package read back with
// the host's own reader, and the modules' start-up, forwarding and fallbacks driven through
// the ribbon the package defines. The entry object here is a recorder registered in-process,
// so each test sees exactly which members the workbook called.
#include "app/AddinStartup.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "host/workbook/WorkbookProject.h"
#include "platform/IAddinEntry.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/commandbars/RibbonDefinition.h"
#include "spreadsheet/commandbars/RibbonRuntime.h"
#include "spreadsheet/io/ZipPackageReader.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Workbook.h"
#include "system/DialogScript.h"
#include "system/ObjectFactory.h"
#include "system/ScriptedDialogs.h"
#include "system/ScriptedToolkit.h"
#include "system/Shell.h"
#include "system/WorkbookCodeLoader.h"
#include "tests/support/TempRegistry.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace qv::test {

namespace fs = std::filesystem;

namespace {

// Records what the workbook's code asked of the entry object.
class RecordingEntry : public IObject, public IAddinEntry {
  public:
    std::vector<std::string> calls;
    std::vector<std::string> tables{"Albums", "Artists", "Tracks"};
    std::vector<std::string> queries{"Top sellers"};
    bool dataSource = true;
    std::string failing; // the member that raises
    WorksheetPtr sheet;

    void call(const std::string& what) {
        calls.push_back(what);
        if (what == failing) throw NumberedError(5, "Interface12", "Invalid procedure call");
    }
    void Initialize(const WorkbookPtr&) override { call("Initialize"); }
    void AddinUninstall() override { call("AddinUninstall"); }
    void GetDatabase() override { call("GetDatabase"); }
    void Show(int i) override { call("Show " + std::to_string(i)); }
    void ExecuteView(int i) override { call("ExecuteView " + std::to_string(i)); }
    void ExecuteQuery(int i) override { call("ExecuteQuery " + std::to_string(i)); }
    void ExecuteSQL() override { call("ExecuteSQL"); }
    void AddRow() override { call("AddRow"); }
    void WriteData() override { call("WriteData"); }
    void DeleteRows() override { call("DeleteRows"); }
    void Refresh() override { call("Refresh"); }
    void ShowHelp() override { call("ShowHelp"); }
    void ShowInfo() override { call("ShowInfo"); }
    void ShowSettings() override { call("ShowSettings"); }
    void ShowAllSheets() override { call("ShowAllSheets"); }
    void CloseWorkbook() override { call("CloseWorkbook"); }
    void ShowFirstMessage() override { call("ShowFirstMessage"); }
    void SayHello() override {}
    std::string GetLabel(const std::string& id) override {
        call("GetLabel");
        return id == "cboTables" ? "[Choose]" : "label of " + id;
    }
    std::string GetImage(const std::string&) override { return "Refresh"; }
    bool GetEnabled(const std::string& id) override {
        call("GetEnabled");
        return id != "cmdClose";
    }
    bool GetVisible(const std::string& id) override { return id != "cmdInitRibbon"; }
    std::optional<std::vector<std::string>> TableList() const override { return tables; }
    std::optional<std::vector<std::string>> QueryList() const override { return queries; }
    std::optional<std::vector<std::string>> ViewList() const override { return std::nullopt; }
    bool DataSourceExists() const override { return dataSource; }
    WorksheetPtr Sheet() const override { return sheet; }
    bool OpenDatabaseFile(const std::string&) override { return false; }
    AdoRecordsetPtr TableRecordset(const std::string&) override { return nullptr; }
};

std::string readSource(const std::string& relative) {
    std::ifstream in(std::string(QV_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

// --- the package the build writes

TEST(AddinPackageTest, ReadsBackWithTheHostsOwnReader) {
    const std::string package = QV_ADDIN_PACKAGE;
    ASSERT_TRUE(fs::exists(package)) << package;
    auto app = sheet::Application::create();
    WorkbookPtr book = app->openWorkbook(package);
    EXPECT_EQ(book->builtinProperty("Title"), Variant("Quorvel LT add-in"));
    EXPECT_EQ(book->builtinProperty("Keywords"), Variant("Excel,Access,interface,integration"));
    EXPECT_EQ(book->builtinProperty("Comments"),
              Variant("Enables two-way communication with MS Access from MS Excel."));
    EXPECT_EQ(book->builtinProperty("Content status"), Variant("Pre-final"));
    EXPECT_EQ(book->builtinProperty("Revision Number").toInt32(), 12);
    ASSERT_EQ(book->worksheetCount(), 1);
    EXPECT_TRUE(book->worksheet(1)->usedRange()->text().empty());
    auto model = std::dynamic_pointer_cast<sheet::Workbook>(book);
    EXPECT_TRUE(model->windowHidden());

    // Both ribbon parts, identical apart from their namespace, each in its own.
    ASSERT_EQ(model->customUIParts().size(), 2u);
    for (const auto& part : model->customUIParts()) {
        const auto def = sheet::RibbonDefinition::parse(part.xml);
        EXPECT_EQ(def.version,
                  part.office2010 ? sheet::CustomUIVersion::Schema2009 : sheet::CustomUIVersion::Schema2006);
        EXPECT_EQ(part.xml, readSource(part.office2010 ? "host/workbook/customUI14.xml"
                                                       : "host/workbook/customUI.xml"));
    }

    sheet::ZipPackageReader zip(package, package);
    const std::string types = zip.read("[Content_Types].xml").value_or("");
    EXPECT_NE(types.find("application/vnd.ms-excel.addin.macroEnabled.main+xml"), std::string::npos);
}

TEST(AddinPackageTest, RibbonCarriesTheTabGroupsAndControlsInOrder) {
    const auto def = sheet::RibbonDefinition::parse(readSource("host/workbook/customUI14.xml"));
    EXPECT_EQ(def.onLoad, "Ribbon.ribbonLoaded");
    ASSERT_EQ(def.tabs.size(), 1u);
    const sheet::RibbonNode& tab = def.tabs[0];
    EXPECT_EQ(tab.id, "Quorvel12");
    EXPECT_EQ(*tab.attribute("label"), "Quorvel LT");
    EXPECT_EQ(*tab.attribute("insertAfterMso"), "TabView");
    EXPECT_EQ(tab.attribute("keytip")->size(), 2u);
    std::vector<std::string> order;
    for (const auto& group : tab.children)
        for (const auto& c : group.children)
            order.push_back(c.id);
    EXPECT_EQ(order, (std::vector<std::string>{"cmdOpenDB", "Sep1", "cboTables", "cboQueries", "cboViews",
                                               "cmdRowAdd", "cmdRowUpdate", "cmdRowDelete", "cmdRefresh",
                                               "cmdExecSql", "cmdSettings", "cmdHelp", "Sep2", "cmdInfo",
                                               "cmdClose", "cmdInitRibbon", "cmdShowAllSheets"}));
    EXPECT_EQ(tab.children[2].id, "GroupMisc");
    EXPECT_EQ(tab.children[2].attribute("label"), nullptr);
    const auto* views = def.find("cboViews");
    EXPECT_EQ(*views->attribute("onAction"), "Ribbon.ExecuteView");
    EXPECT_EQ(*views->attribute("getVisible"), "Ribbon.GetVisible");
    EXPECT_EQ(def.find("cboQueries")->attribute("getVisible"), nullptr);
    EXPECT_EQ(*def.find("cmdRowDelete")->attribute("screentip"), "Hotkey: F8");
    EXPECT_EQ(*def.find("cmdInfo")->attribute("size"), "normal");
    EXPECT_EQ(def.find("cmdRowAdd")->kind, sheet::RibbonControlKind::ToggleButton);
    EXPECT_EQ(def.find("cmdHelp")->kind, sheet::RibbonControlKind::Button);
}

// --- the workbook's code

class AddinWorkbookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mDir = fs::temp_directory_path() / ("qv-addin-workbook-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(mDir);
        fs::create_directories(mDir);
        mDialogs = std::make_unique<ScriptedDialogs>(mScript);
        mObjects = std::make_unique<ObjectFactory>(*mRegistry);
        mServices = PlatformServices{mRegistry.get(), mDialogs.get(), nullptr, &mShell, mObjects.get()};
        mObjects->setServices(&mServices);
        mApp = sheet::Application::create();
        fs::copy_file(QV_ADDIN_PACKAGE, mDir / "Quorvel12.xlam");
    }
    void TearDown() override {
        mRibbon.reset();
        mApp.reset();
        fs::remove_all(mDir);
    }

    // The recorder as "Quorvel.Interface12".
    void registerEntry() {
        mObjects->registerClass("Quorvel.Interface12", [this] { return mEntry; });
    }
    // The package with the module library beside it, started as a host starts it.
    app::AddinSession startWithCode() {
        fs::copy_file(QV_WORKBOOK_CODE, WorkbookCodeLoader::codePathFor((mDir / "Quorvel12.xlam").string()));
        registerEntry();
        return app::AddinStartup::start(*mApp, (mDir / "Quorvel12.xlam").string(), mServices);
    }
    // Opens the package copy, attaches the modules in-process, loads the ribbon and runs
    // Workbook_Open and the timer, as a host does.
    void open() {
        mBook = mApp->openWorkbook((mDir / "Quorvel12.xlam").string());
        mProject = xlam::WorkbookProject::attach(mBook, mServices);
        auto model = std::dynamic_pointer_cast<sheet::Workbook>(mBook);
        mRibbon = sheet::RibbonRuntime::load(*mApp, model->customUI());
        mApp->run("ThisWorkbook.Workbook_Open");
        mApp->runPendingTimers();
    }
    std::vector<std::string> takeCalls() {
        std::vector<std::string> out;
        out.swap(mEntry->calls);
        return out;
    }

    fs::path mDir;
    DialogScript mScript;
    TempRegistry mRegistry;
    std::unique_ptr<ScriptedDialogs> mDialogs;
    Shell mShell;
    std::unique_ptr<ObjectFactory> mObjects;
    PlatformServices mServices;
    std::shared_ptr<sheet::Application> mApp;
    WorkbookPtr mBook;
    std::shared_ptr<xlam::WorkbookProject> mProject;
    std::unique_ptr<sheet::RibbonRuntime> mRibbon;
    std::shared_ptr<RecordingEntry> mEntry = std::make_shared<RecordingEntry>();
};

TEST_F(AddinWorkbookTest, StartUpCreatesTheEntryInitialisesItAndShowsTheFirstMessageLater) {
    registerEntry();
    open();
    EXPECT_EQ(takeCalls(), (std::vector<std::string>{"Initialize", "ShowFirstMessage"}));
    EXPECT_EQ(mProject->globals().goQuorvel.get(), mEntry.get());
    EXPECT_TRUE(mScript.records().empty());
}

TEST_F(AddinWorkbookTest, MissingLibraryIsToldAndTheRibbonRunsOnItsFallbacks) {
    open();
    ASSERT_EQ(mScript.records().size(), 1u);
    const PromptRecord& r = mScript.records()[0];
    EXPECT_EQ(r.text, "Library libQuorvel12.so not found in folder\r" + mDir.string());
    EXPECT_EQ(r.title, "Quorvel");
    EXPECT_EQ(r.flags & 0xF0, xl::MsgExclamation);
    EXPECT_FALSE(mProject->globals().goQuorvel);

    EXPECT_EQ(mRibbon->state("cmdRowAdd").label, "cmdRowAdd");
    EXPECT_EQ(mRibbon->state("cmdOpenDB").image, "TableDeleteRowsAndColumnsMenuWord");
    EXPECT_FALSE(mRibbon->state("cmdRowAdd").enabled);
    EXPECT_TRUE(mRibbon->state("cmdRowAdd").visible);
    EXPECT_TRUE(mRibbon->state("cmdInitRibbon").visible);
    EXPECT_TRUE(mRibbon->state("cboTables").items.empty());
    EXPECT_FALSE(mRibbon->state("cmdSettings").pressed);
    // Actions fall on nothing and never reach the host.
    EXPECT_NO_THROW(mRibbon->click("cmdOpenDB"));
    EXPECT_NO_THROW(mRibbon->click("cmdHelp"));
    EXPECT_TRUE(mRibbon->takeCallbackErrors().empty());
}

TEST_F(AddinWorkbookTest, PresentButUnregisteredLibraryIsRegisteredSilently) {
    // The real add-in checks its database components at start-up and stops without them.
    registerSqliteEngineClasses(
        [&](std::string id, std::function<ObjectPtr()> f) { mObjects->registerClass(id, f); });
    ScriptedToolkit toolkit(mScript);
    mServices.toolkit = &toolkit;
    fs::copy_file(QV_ADDIN_LIBRARY, mDir / "libQuorvel12.so");
    ASSERT_FALSE(mObjects->isRegistered("Quorvel.Interface12"));
    open();
    EXPECT_TRUE(mObjects->isRegistered("Quorvel.Interface12"));
    EXPECT_EQ(mObjects->libraryPath("Quorvel.Interface12"), (mDir / "libQuorvel12.so").string());
    ASSERT_TRUE(mProject->globals().goQuorvel);
    // The real add-in answers the ribbon now; the first-start hint came through the timer.
    EXPECT_EQ(mRibbon->state("cmdHelp").label, "Quorvel Help");
    EXPECT_EQ(mRibbon->state("cmdSettings").label, "&Settings");
    bool hint = false;
    for (const auto& r : mScript.records())
        hint = hint || r.dialogName == "frmMessage";
    EXPECT_TRUE(hint);
    mProject.reset();
    mRibbon.reset();
    mBook->close(false);
}

TEST_F(AddinWorkbookTest, AnUnexpectedStartUpErrorIsReportedWithItsNumber) {
    mEntry->failing = "Initialize";
    registerEntry();
    open();
    ASSERT_EQ(mScript.records().size(), 1u);
    const std::string& text = mScript.records()[0].text;
    EXPECT_EQ(text.rfind("An unexpected error occured:\rInvalid procedure call (5).\r\r", 0), 0u) << text;
    EXPECT_NE(text.find("support@"), std::string::npos);
    // The timer was never armed: the start-up stopped at the failure.
    EXPECT_EQ(takeCalls(), std::vector<std::string>{"Initialize"});
}

TEST_F(AddinWorkbookTest, DropDownsListChooseFirstAndItemZeroDoesNothing) {
    registerEntry();
    open();
    const auto tables = mRibbon->state("cboTables");
    ASSERT_EQ(tables.items.size(), 4u); // three tables and "[Choose]"
    EXPECT_EQ(tables.items[0].label, "[Choose]");
    EXPECT_EQ(tables.items[3].label, "Tracks");
    EXPECT_EQ(tables.selectedIndex, 0);
    EXPECT_EQ(mRibbon->state("cboQueries").items.size(), 2u);
    EXPECT_TRUE(mRibbon->state("cboViews").items.empty());
    takeCalls();
    const auto before = mRibbon->revision();
    mRibbon->select("cboTables", 0);
    EXPECT_TRUE(takeCalls().empty());
    EXPECT_EQ(mRibbon->revision(), before);
    // The only real query still fires, because "[Choose]" is item 0.
    mRibbon->select("cboQueries", 1);
    EXPECT_EQ(takeCalls(), std::vector<std::string>{"ExecuteQuery 1"});
    EXPECT_GT(mRibbon->revision(), before);
}

TEST_F(AddinWorkbookTest, WithoutADataSourceTheListsAreEmpty) {
    mEntry->dataSource = false;
    registerEntry();
    open();
    EXPECT_TRUE(mRibbon->state("cboTables").items.empty());
}

TEST_F(AddinWorkbookTest, ActionsForwardAndInvalidateAsEachCallbackSays) {
    registerEntry();
    open();
    mRibbon->snapshot();
    takeCalls();
    auto invalidates = [&](auto act) {
        const auto before = mRibbon->revision();
        act();
        return mRibbon->revision() > before;
    };
    EXPECT_TRUE(invalidates([&] { mRibbon->select("cboTables", 2); }));
    mApp->run("Ribbon.ExecuteView", {Variant("cboViews"), Variant("v"), Variant(1)});
    EXPECT_FALSE(invalidates([&] {
        mApp->run("Ribbon.ExecuteView", {Variant("cboViews"), Variant("v"), Variant(1)});
    }));
    EXPECT_TRUE(invalidates([&] { mRibbon->click("cmdRowUpdate"); }));
    EXPECT_TRUE(invalidates([&] { mRibbon->click("cmdRowDelete"); }));
    EXPECT_TRUE(invalidates([&] { mRibbon->click("cmdRefresh"); }));
    EXPECT_TRUE(invalidates([&] { mRibbon->click("cmdExecSql"); }));
    EXPECT_TRUE(invalidates([&] { mRibbon->click("cmdInfo"); }));
    EXPECT_TRUE(invalidates([&] { mRibbon->click("cmdSettings"); }));
    EXPECT_TRUE(invalidates([&] { mRibbon->click("cmdRowAdd"); }));
    EXPECT_FALSE(invalidates([&] { mRibbon->click("cmdHelp"); }));
    const auto calls = takeCalls();
    for (const char* member : {"Show 2", "ExecuteView 1", "WriteData", "DeleteRows", "Refresh", "ExecuteSQL",
                               "ShowInfo", "ShowSettings", "AddRow", "ShowHelp"})
        EXPECT_NE(std::find(calls.begin(), calls.end(), member), calls.end()) << member;
}

TEST_F(AddinWorkbookTest, AFailingCallbackIsAbsorbedActionsInvalidateStatesAnswerNothing) {
    registerEntry();
    open();
    mRibbon->snapshot();
    mEntry->failing = "ShowHelp";
    const auto before = mRibbon->revision();
    EXPECT_NO_THROW(mRibbon->click("cmdHelp"));
    EXPECT_GT(mRibbon->revision(), before); // only the error invalidates a help click
    mEntry->failing = "GetLabel";
    mApp->run("Ribbon.InvalidateRibbon");
    EXPECT_EQ(mRibbon->state("cmdRowAdd").label, ""); // no value, no static label
    EXPECT_EQ(mRibbon->state("cmdHelp").label, "Quorvel Help");
    EXPECT_TRUE(mRibbon->takeCallbackErrors().empty());
}

TEST_F(AddinWorkbookTest, AReleasedRibbonIsSkippedSilently) {
    registerEntry();
    open();
    mRibbon.reset(); // the window that showed it is gone
    EXPECT_NO_THROW(mApp->run("Ribbon.Refresh", {Variant("cmdRefresh"), Variant(false)}));
    EXPECT_NO_THROW(mApp->run("Ribbon.InvalidateRibbon"));
    EXPECT_NO_THROW(mApp->run("Ribbon.Init"));
    EXPECT_EQ(takeCalls().back(), "Refresh");
}

TEST_F(AddinWorkbookTest, HotKeysRunTheWorkbookRoutinesByName) {
    registerEntry();
    open();
    mApp->onKey("{F7}", "ThisWorkbook.WriteData");
    mApp->onKey("{F6}", "ThisWorkbook.AddRow");
    takeCalls();
    const auto before = mRibbon->revision();
    EXPECT_TRUE(mApp->pressKey("{F6}"));
    EXPECT_EQ(mRibbon->revision(), before);
    EXPECT_TRUE(mApp->pressKey("{F7}"));
    EXPECT_GT(mRibbon->revision(), before);
    EXPECT_EQ(takeCalls(), (std::vector<std::string>{"AddRow", "WriteData"}));
    // Without an entry object the routine has nothing to call, and says so.
    mProject->globals().releaseQuorvel();
    try {
        mApp->pressKey("{F6}");
        FAIL() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 91);
    }
}

TEST_F(AddinWorkbookTest, SheetChangesOnTheFormSheetRefreshTheRibbonOthersDoNot) {
    registerEntry();
    open();
    WorkbookPtr other = mApp->addWorkbook();
    auto r0 = mRibbon->revision();
    other->worksheet(1)->cells(1, 1)->setValue(Variant(1));
    EXPECT_EQ(mRibbon->revision(), r0);
    mEntry->sheet = other->worksheet(1);
    other->worksheet(1)->cells(1, 1)->setValue(Variant(2));
    EXPECT_GT(mRibbon->revision(), r0);
    r0 = mRibbon->revision();
    mBook->activate();
    other->activate();
    EXPECT_GT(mRibbon->revision(), r0);
}

// The event class's conditions, one event at a time.
TEST_F(AddinWorkbookTest, EventClassRefreshesOnlyWhenTheFormAllowsIt) {
    registerEntry();
    open();
    int inits = 0;
    xlam::clsExcel events(mProject->globals(), [&] { ++inits; });
    WorkbookPtr formBook = mApp->addWorkbook();
    WorkbookPtr otherBook = mApp->addWorkbook();
    bool cancel = false;
    mEntry->sheet = formBook->worksheet(1);
    inits = 0;
    events.workbookBeforeClose(otherBook, cancel); // the library still has its form
    events.workbookBeforeSave(otherBook, false, cancel);
    EXPECT_EQ(inits, 0);
    events.workbookBeforeSave(formBook, false, cancel);
    EXPECT_EQ(inits, 1);
    mEntry->sheet.reset();
    events.workbookBeforeClose(otherBook, cancel);
    events.workbookBeforeSave(otherBook, false, cancel);
    EXPECT_EQ(inits, 3);
    events.sheetActivate(otherBook->worksheet(1));
    events.workbookActivate(otherBook);
    EXPECT_EQ(inits, 5);
    mProject->globals().releaseQuorvel();
    events.workbookBeforeClose(otherBook, cancel);
    events.workbookBeforeSave(otherBook, false, cancel);
    events.sheetChange(otherBook->worksheet(1), nullptr);
    EXPECT_EQ(inits, 5);
    EXPECT_FALSE(cancel);
}

TEST_F(AddinWorkbookTest, RemovingTheAddinTellsTheLibrary) {
    registerEntry();
    open();
    takeCalls();
    mApp->run("ThisWorkbook.Workbook_AddinUninstall");
    EXPECT_EQ(takeCalls(), std::vector<std::string>{"AddinUninstall"});
}

// --- the host's road through the package and the module library

TEST_F(AddinWorkbookTest, HostStartsTheAddinThroughThePackageAndItsCodeLibrary) {
    {
        app::AddinSession session = startWithCode();
        ASSERT_TRUE(session.code);
        EXPECT_EQ(session.entry().get(), mEntry.get());
        ASSERT_TRUE(session.ribbon);
        EXPECT_EQ(session.ribbon->state("cmdRowAdd").label, "label of cmdRowAdd");
        EXPECT_EQ(takeCalls().front(), "Initialize");
    }
    // The session closed the package, and with it released the workbook's code.
    EXPECT_EQ(mApp->findWorkbook("Quorvel12.xlam"), nullptr);
    EXPECT_FALSE(mApp->hasMacro("Ribbon.GetLabel"));
    EXPECT_EQ(mEntry.use_count(), 1);
}

// The handle table is per shared object: the module library must find the host's ribbon through
// the host, or every invalidation is lost and the ribbon keeps the states of the start-up.
TEST_F(AddinWorkbookTest, TheCodeLibraryInvalidatesTheHostsRibbon) {
    app::AddinSession session = startWithCode();
    ASSERT_TRUE(session.code);
    ASSERT_TRUE(session.ribbon);
    session.ribbon->snapshot();
    const auto before = session.ribbon->revision();
    mApp->run("Ribbon.GetDatabase", {Variant(std::string("cmdOpenDB"))});
    EXPECT_GT(session.ribbon->revision(), before);
}

TEST_F(AddinWorkbookTest, PackageWithoutCodeOpensWithoutStartingAnything) {
    registerEntry();
    app::AddinSession session =
        app::AddinStartup::start(*mApp, (mDir / "Quorvel12.xlam").string(), mServices);
    EXPECT_FALSE(session.code);
    EXPECT_FALSE(session.entry());
    EXPECT_TRUE(takeCalls().empty());
    // The ribbon still shows, on its static values.
    EXPECT_EQ(session.ribbon->state("cmdHelp").label, "Quorvel Help");
}

TEST_F(AddinWorkbookTest, CodeThatIsNotAModuleLibraryIsRefusedByName) {
    std::ofstream(WorkbookCodeLoader::codePathFor((mDir / "Quorvel12.xlam").string())) << "not a library";
    try {
        app::AddinStartup::start(*mApp, (mDir / "Quorvel12.xlam").string(), mServices);
        FAIL() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 1004);
        EXPECT_NE(e.description().find("Quorvel12.xlam"), std::string::npos);
    }
}

} // namespace qv::test

namespace qv::test {

// The menu edition's controls run the workbook's routines by name.
TEST_F(AddinWorkbookTest, MenuRoutinesForwardByName) {
    registerEntry();
    open();
    takeCalls();
    mApp->run("ThisWorkbook.ShowSettings");
    mApp->run("ThisWorkbook.GetDatabase");
    mApp->run("ThisWorkbook.Show", {Variant(2)});
    mApp->run("ThisWorkbook.ExecuteQuery", {Variant(1)});
    mApp->run("ThisWorkbook.Show"); // no control and no index: nothing to show
    EXPECT_EQ(takeCalls(),
              (std::vector<std::string>{"ShowSettings", "GetDatabase", "Show 2", "ExecuteQuery 1"}));
}

} // namespace qv::test

namespace qv::test {

namespace {
std::vector<std::string> tabsOf(sheet::RibbonRuntime& ribbon) {
    std::vector<std::string> ids;
    for (const auto& tab : ribbon.snapshot())
        ids.push_back(tab.id);
    return ids;
}
} // namespace

// The product's package in the host's add-in list: uninstalled, it takes its menus away and its
// ribbon tab goes with its workbook; installed again, it starts as at start-up.
TEST_F(AddinWorkbookTest, UninstallingThePackageTakesItsTabAwayAndReinstallingBringsItBack) {
    fs::copy_file(QV_WORKBOOK_CODE, WorkbookCodeLoader::codePathFor((mDir / "Quorvel12.xlam").string()));
    registerEntry();
    std::weak_ptr<app::AddinSession> started;
    int starts = 0;
    sheet::AddIns& list = mApp->addInList();
    list.setLoader(
        app::AddinStartup::loader(*mApp, mServices, true, [&](const std::shared_ptr<app::AddinSession>& s) {
            started = s;
            ++starts;
        }));
    WorkbookPtr mine = mApp->addWorkbook();
    AddInPtr entry = list.add((mDir / "Quorvel12.xlam").string());
    EXPECT_EQ(entry->title(), "Quorvel LT add-in");
    EXPECT_FALSE(entry->installed());
    EXPECT_EQ(starts, 0);

    entry->setInstalled(true);
    auto session = started.lock();
    ASSERT_TRUE(session && session->ribbon);
    EXPECT_EQ(takeCalls(), (std::vector<std::string>{"Initialize", "ShowFirstMessage"}));
    EXPECT_EQ(tabsOf(*session->ribbon), std::vector<std::string>{"Quorvel12"});
    takeCalls();
    // The person's workbook stays the one they work in.
    EXPECT_EQ(mApp->activeWorkbook(), mine);
    session.reset();

    entry->setInstalled(false);
    EXPECT_EQ(takeCalls(), std::vector<std::string>{"AddinUninstall"});
    EXPECT_TRUE(started.expired()) << "the ribbon and the package outlived the uninstall";
    EXPECT_EQ(mApp->findWorkbook("Quorvel12.xlam"), nullptr);
    EXPECT_FALSE(mApp->hasMacro("Ribbon.GetLabel"));
    EXPECT_FALSE(entry->installed());
    EXPECT_EQ(mApp->activeWorkbook(), mine);

    entry->setInstalled(true);
    session = started.lock();
    ASSERT_TRUE(session && session->ribbon);
    EXPECT_EQ(starts, 2);
    EXPECT_EQ(takeCalls(), (std::vector<std::string>{"Initialize", "ShowFirstMessage"}));
    EXPECT_EQ(tabsOf(*session->ribbon), std::vector<std::string>{"Quorvel12"});
    takeCalls();
    EXPECT_TRUE(mApp->hasMacro("Ribbon.GetLabel"));
    session.reset();
    list.releaseAll();
    EXPECT_TRUE(started.expired());
    // Let go as a host that quits: nothing is uninstalled.
    EXPECT_TRUE(takeCalls().empty());
    EXPECT_TRUE(entry->installed());
}

} // namespace qv::test
