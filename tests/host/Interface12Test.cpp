#include "HostFixture.h"

#include "common/CommandBarTags.h"
#include "common/SettingNames.h"
#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "host/clsApplication.h"
#include "host/clsMenuBarControl.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include <stdexcept>

namespace qv::test {

namespace {
const char* kRibbonLabelIds[] = {"cmdOpenDB",  "cmdRowAdd",  "cmdRowUpdate", "cmdRowDelete",
                                 "cmdRefresh", "cmdExecSql", "cmdSettings",  "cmdHelp",
                                 "cmdClose",   "cboTables",  "cboQueries",   "cboViews"};
} // namespace

class Interface12Test : public HostFixture {};

// A shell whose file test fails with a standard-library exception, as a bug deep inside would.
class BrokenShell : public Shell {
  public:
    bool fileExists(const std::string&) override { throw std::length_error("basic_string::_M_create"); }
};

TEST_F(Interface12Test, InitialisedWithRevision12BuildsInvisibleMenuAndToolbarAndWritesVersion) {
    startAddin();
    ASSERT_TRUE(goApplication);
    CommandBarControlPtr popup = menuPopup();
    ASSERT_TRUE(popup);
    EXPECT_FALSE(popup->visible());
    ASSERT_TRUE(toolbar());
    EXPECT_FALSE(toolbar()->visible());
    EXPECT_EQ(storedText(setting::Version), "1.0");
    // The menu sits before the host's own Help menu.
    auto top = mApp->commandBars()->find(WorksheetMenuBar)->controls();
    EXPECT_EQ(top->item(popup->index() + 1)->caption(), "&Help");
    EXPECT_TRUE(mScript.errors().empty());
}

TEST_F(Interface12Test, MenuHasTheTaggedControlsInOrderAndNoViewsInTheAccessEdition) {
    startAddin();
    auto controls = menuPopup()->controls();
    std::vector<std::string> tags;
    for (long i = 1; i <= controls->count(); ++i)
        tags.push_back(controls->item(i)->tag());
    EXPECT_EQ(tags, (std::vector<std::string>{"Open database", "Tables", "Queries", "Row Add", "Row Update",
                                              "Row Delete", "Refresh data", "Excecute SQL", "Settings",
                                              "Help", "Close application"}));
    // The toolbar copies the top level without the close button and the help popup.
    auto tb = toolbar()->controls();
    EXPECT_EQ(tb->count(), 9);
    EXPECT_FALSE(toolbar()->findControl(tag::CloseApplication));
    EXPECT_TRUE(toolbar()->findControl(tag::ExecuteSql));
}

TEST_F(Interface12Test, SecondStartKeepsTheToolbarAndASingleMenu) {
    startAddin();
    // Something the person did to the toolbar survives a later start.
    toolbar()->controls()->add(xl::ControlButton)->setTag("mine");
    stopAddin();
    mEntry = std::make_unique<Interface12>(mServices);
    mEntry->Initialize(mAddinBook);
    EXPECT_TRUE(toolbar()->findControl("mine"));
    auto top = mApp->commandBars()->find(WorksheetMenuBar)->controls();
    int menus = 0;
    for (long i = 1; i <= top->count(); ++i)
        menus += top->item(i)->caption() == "&Quorvel LT";
    EXPECT_EQ(menus, 1);
}

TEST_F(Interface12Test, RibbonLabelsInEnglishCutExactlyTheHotKey) {
    startAddin();
    EXPECT_EQ(mEntry->GetLabel("cmdRowAdd"), "Add re&cord ");
    EXPECT_EQ(mEntry->GetLabel("cmdRowUpdate"), "&Save changes ");
    EXPECT_EQ(mEntry->GetLabel("cmdOpenDB"), "&Open database...");
    EXPECT_EQ(mEntry->GetLabel("cboTables"), "[Choose]");
    for (const char* id : kRibbonLabelIds)
        EXPECT_FALSE(mEntry->GetLabel(id).empty()) << id;
}

TEST_F(Interface12Test, RibbonLabelsInDutchWhenTheHostIsDutch) {
    startAddin({.dutch = true});
    EXPECT_EQ(mEntry->GetLabel("cmdRowAdd"), "Re&cord toevoegen ");
    EXPECT_EQ(mEntry->GetLabel("cboViews"), "[Maak een keuze]");
    for (const char* id : kRibbonLabelIds) {
        const std::string nl = mEntry->GetLabel(id);
        EXPECT_FALSE(nl.empty()) << id;
    }
    EXPECT_NE(mEntry->GetLabel("cmdSettings"), "&Settings");
}

TEST_F(Interface12Test, EnabledAndVisibleComeFromTheMenuControls) {
    startAddin();
    EXPECT_FALSE(mEntry->GetVisible("cmdRowAdd"));
    EXPECT_FALSE(mEntry->GetEnabled("cboTables"));
    EXPECT_FALSE(mEntry->GetEnabled("cmdClose")); // no form sheet yet
    EXPECT_FALSE(mEntry->GetEnabled("cmdExecSql"));
    EXPECT_FALSE(mEntry->GetVisible("cboViews")); // no views popup in this edition
    EXPECT_FALSE(mEntry->GetVisible("cmdInitRibbon"));
    EXPECT_FALSE(mEntry->GetVisible("cmdShowAllSheets"));
    // The controller switches a control: the ribbon follows.
    goApplication->MenuBar().FindControlByTag(tag::RowAdd)->setVisible(true);
    goApplication->MenuBar().FindControlByTag(tag::Tables)->setEnabled(true);
    EXPECT_TRUE(mEntry->GetVisible("cmdRowAdd"));
    EXPECT_TRUE(mEntry->GetEnabled("cboTables"));
    EXPECT_EQ(mEntry->GetImage("cmdOpenDB"), "ImportAccess");
    EXPECT_TRUE(mScript.errors().empty());
}

TEST_F(Interface12Test, UnknownControlIdShowsTheNotImplementedMessageAndAnswersNeutral) {
    startAddin();
    mScript << ScriptStep::messageBox("The following ControlID is not implemented in GetEnabled:\rcmdOpenDB",
                                      xl::AnswerOk)
                   .flags(16 + 65536);
    EXPECT_FALSE(mEntry->GetEnabled("cmdOpenDB"));
    mScript << ScriptStep::messageBox("not implemented in GetLabel:\rnope", xl::AnswerOk);
    EXPECT_EQ(mEntry->GetLabel("nope"), "");
    EXPECT_TRUE(mScript.finished());
    EXPECT_TRUE(mScript.errors().empty());
}

TEST_F(Interface12Test, MissingDaoEngineRefusesStartUpAndClosesTheWorkbook) {
    mScript << ScriptStep::messageBox("2007 Office System Driver: Data Connectivity Components",
                                      xl::AnswerOk);
    startAddin({.skipClass = "DAO.DBEngine.120"});
    EXPECT_FALSE(goApplication);
    EXPECT_FALSE(goExcelEvents);
    EXPECT_EQ(mApp->findWorkbook(mAddinBook->name()), nullptr);
    EXPECT_FALSE(mEntry->GetEnabled("cmdRowAdd"));
    EXPECT_EQ(mEntry->GetImage("cmdOpenDB"), "");
    EXPECT_FALSE(mEntry->DataSourceExists());
    EXPECT_EQ(mEntry->Tables(), nullptr);
    EXPECT_EQ(mEntry->GetLabel("cmdHelp"), "&Help"); // labels need no controller
    try {
        mEntry->AddRow();
        FAIL() << "a forwarding member must fail without a controller";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ObjectNotSet);
    }
    EXPECT_TRUE(mScript.finished());
}

TEST_F(Interface12Test, MissingEngineInALaterHostNamesTheNewerRedistributable) {
    mScript << ScriptStep::messageBox("Microsoft Access Database Engine 2010 Redistributable", xl::AnswerOk);
    startAddin({.version = "14.0", .skipClass = "DAO.DBEngine.120"});
    EXPECT_FALSE(goApplication);
    EXPECT_TRUE(mScript.finished());
}

TEST_F(Interface12Test, SecondEditionInTheStartUpListRefusesUnlessThisIsOpen1) {
    startHost({});
    const std::string key = "Software\\Microsoft\\Office\\12.0\\Excel\\Options";
    auto text = [](const std::string& s) { return RegistryValue{reg::REG_SZ, {s.begin(), s.end()}}; };
    ASSERT_TRUE(mRegistry->createKey(reg::HKEY_CURRENT_USER, key));
    mRegistry->setValue(reg::HKEY_CURRENT_USER, key, "OPEN", text("\"/opt/Quorvel LT.xlam\""));
    mRegistry->setValue(reg::HKEY_CURRENT_USER, key, "OPEN1", text("\"/opt/other/Quorvel PX.xlam\""));
    mScript << ScriptStep::messageBox("", xl::AnswerOk);
    mEntry = std::make_unique<Interface12>(mServices);
    mEntry->Initialize(mAddinBook);
    EXPECT_FALSE(goApplication);
    ASSERT_EQ(mScript.records().size(), 1u);
    EXPECT_EQ(mScript.records()[0].text, modGlobalization::GetText(30));
}

TEST_F(Interface12Test, RevisionOutsideTheEditionsReportsNoSuchVersion) {
    mScript << ScriptStep::messageBox("No such version!", xl::AnswerOk).flags(16 + 65536);
    startAddin({.revision = 99});
    EXPECT_TRUE(mScript.finished());
    EXPECT_TRUE(mScript.errors().empty());
    EXPECT_THROW(goApplication->DataSourceKind(), NumberedError);
}

TEST_F(Interface12Test, InitializeWithoutControllerDoesNothingAtAll) {
    startHost({});
    mEntry = std::make_unique<Interface12>(mServices);
    goApplication.reset();
    goAddinWorkbook.reset();
    mEntry->Initialize(mAddinBook);
    EXPECT_FALSE(goAddinWorkbook);
    EXPECT_FALSE(goExcelEvents);
}

TEST_F(Interface12Test, UninstallRemovesTheSurfacesAndRearmsTheFirstHint) {
    startAddin();
    goApplication->Aux().SaveSetting(1, setting::ShowMessageSelectDb, Variant("False"));
    mEntry->AddinUninstall();
    EXPECT_FALSE(menuPopup());
    EXPECT_FALSE(toolbar());
    EXPECT_EQ(storedText(setting::ShowMessageSelectDb), "True");
}

TEST_F(Interface12Test, ReleasingTheEntryObjectHidesTheBarsWithTheTitle) {
    startAddin();
    toolbar()->setVisible(true);
    stopAddin();
    ASSERT_TRUE(toolbar());
    EXPECT_FALSE(toolbar()->visible());
}

TEST_F(Interface12Test, AVersionTextThatIsNoNumberIsATypeMismatchReportedByTheTrap) {
    mScript << ScriptStep::messageBox("Type mismatch", xl::AnswerOk).flags(16 + 65536);
    startAddin({.revision = 11, .version = "abc"});
    EXPECT_TRUE(mScript.finished());
    EXPECT_TRUE(mScript.errors().empty());
    ASSERT_EQ(mScript.records().size(), 1u);
    EXPECT_NE(mScript.records()[0].text.find("13"), std::string::npos) << mScript.records()[0].text;
}

TEST_F(Interface12Test, AForeignExceptionInACommandReachesThePersonAsError670) {
    mShell = std::make_unique<BrokenShell>();
    startAddin();
    mScript << ScriptStep::messageBox("basic_string::_M_create", xl::AnswerOk).flags(64 + 65536);
    EXPECT_NO_THROW(mEntry->ShowHelp());
    EXPECT_TRUE(mScript.finished());
    EXPECT_TRUE(mScript.errors().empty());
    ASSERT_EQ(mScript.records().size(), 1u);
    EXPECT_EQ(mScript.records()[0].text,
              modGlobalization::GetText(
                  1, NumberedError(err::InternalError, "Quorvel", "basic_string::_M_create")));
}

} // namespace qv::test
