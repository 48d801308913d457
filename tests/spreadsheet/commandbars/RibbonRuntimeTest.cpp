// The ribbon as the add-in workbook defines it: read in both customUI namespaces, answered by
// the workbook's macros, asked again after invalidation, and refused when malformed.
#include "spreadsheet/commandbars/RibbonRuntime.h"
#include "tests/spreadsheet/commandbars/RibbonFakeApplication.h"
#include "tests/support/ErrorNumber.h"

#include <gtest/gtest.h>

using namespace qv;
using qv::sheet::CustomUIVersion;
using qv::sheet::RibbonControlKind;
using qv::sheet::RibbonControlState;
using qv::sheet::RibbonDefinition;
using qv::sheet::RibbonRuntime;
using qv::test::RibbonFakeApplication;

namespace {

std::string ribbonXml(const std::string& ns) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<customUI xmlns=")" +
           ns + R"(" onLoad="Ribbon.ribbonLoaded">
  <ribbon>
    <tabs>
      <tab id="Quorvel12" label="Quorvel LT" keytip="QL" insertAfterMso="TabView">
        <group id="GroupSelect" label="Select">
          <toggleButton id="cmdOpenDB" size="large" getImage="Ribbon.GetImage" getLabel="Ribbon.GetLabel"
                        onAction="Ribbon.GetDatabase" getPressed="Ribbon.TogglebuttonPressed"/>
          <separator id="Sep1"/>
          <dropDown id="cboTables" label="Tables" sizeString="WWWWWWWWWWW" getItemCount="Ribbon.DDGetItemCount"
                    getItemLabel="Ribbon.DDGetItemLabel" onAction="Ribbon.Show" getEnabled="Ribbon.GetEnabled"
                    getSelectedItemIndex="Ribbon.DDGetSelectedItemIndex"/>
        </group>
        <group id="GroupEdit" label="Edit" getVisible="Ribbon.GetVisible">
          <toggleButton id="cmdRowAdd" size="large" imageMso="GoToNewRecord" getLabel="Ribbon.GetLabel"
                        onAction="Ribbon.AddRow" getEnabled="Ribbon.GetEnabled" screentip="Hotkey: F6"/>
        </group>
        <group id="GroupHelp" label="Help">
          <button id="cmdHelp" size="large" imageMso="FunctionsLogicalInsertGallery" label="Quorvel Help"
                  onAction="Ribbon.ShowHelp"/>
          <button id="cmdInfo" imageMso="Info" label="Info"/>
          <dropDown id="cboStatic" label="Static">
            <item id="a" label="Alpha"/>
            <item id="b" label="Beta" imageMso="Info"/>
          </dropDown>
        </group>
      </tab>
    </tabs>
  </ribbon>
</customUI>)";
}

// The workbook's side: labels and states that tests can change between invalidations.
struct Workbook {
    RibbonFakeApplication app;
    std::map<std::string, std::string> labels{{"cmdOpenDB", "Open database"}, {"cmdRowAdd", "Add record"}};
    std::map<std::string, bool> enabled{{"cboTables", true}, {"cmdRowAdd", true}};
    bool editVisible = true;
    std::vector<std::string> tables{"Customers", "Orders", "Products"};
    RibbonUIPtr ribbon;

    Workbook() {
        app.define("Ribbon.ribbonLoaded", [this](const std::vector<Variant>& a) {
            ribbon = RibbonUIHandles::find(a.at(0));
            return Variant();
        });
        app.define("Ribbon.GetLabel",
                   [this](const std::vector<Variant>& a) { return Variant(labels.at(a.at(0).str())); });
        app.define("Ribbon.GetImage", [](const std::vector<Variant>&) { return Variant("FileOpen"); });
        app.define("Ribbon.GetEnabled",
                   [this](const std::vector<Variant>& a) { return Variant(enabled.at(a.at(0).str())); });
        app.define("Ribbon.GetVisible", [this](const std::vector<Variant>&) { return Variant(editVisible); });
        app.define("Ribbon.TogglebuttonPressed", [](const std::vector<Variant>&) { return Variant(false); });
        app.define("Ribbon.DDGetItemCount", [this](const std::vector<Variant>&) {
            return Variant(static_cast<int>(tables.size()) + 1);
        });
        app.define("Ribbon.DDGetItemLabel", [this](const std::vector<Variant>& a) {
            const int i = a.at(1).toInt32();
            return Variant(i == 0 ? std::string("[Choose]") : tables.at(static_cast<std::size_t>(i - 1)));
        });
        app.define("Ribbon.DDGetSelectedItemIndex", [](const std::vector<Variant>&) { return Variant(0); });
        for (const char* action : {"Ribbon.GetDatabase", "Ribbon.Show", "Ribbon.AddRow", "Ribbon.ShowHelp"})
            app.define(action, [](const std::vector<Variant>&) { return Variant(); });
    }
};

const RibbonControlState* findState(const std::vector<RibbonControlState>& states, const std::string& id) {
    for (const auto& s : states) {
        if (s.id == id) return &s;
        if (const auto* f = findState(s.children, id)) return f;
    }
    return nullptr;
}

} // namespace

TEST(RibbonRuntimeTest, ReadsTheDefinitionInBothNamespaces) {
    for (const auto& [ns, version] :
         {std::pair{RibbonDefinition::Namespace2006, CustomUIVersion::Schema2006},
          std::pair{RibbonDefinition::Namespace2009, CustomUIVersion::Schema2009}}) {
        const auto def = RibbonDefinition::parse(ribbonXml(ns));
        EXPECT_EQ(def.version, version);
        EXPECT_EQ(def.onLoad, "Ribbon.ribbonLoaded");
        ASSERT_EQ(def.tabs.size(), 1u);
        const auto& tab = def.tabs[0];
        EXPECT_EQ(tab.id, "Quorvel12");
        EXPECT_EQ(*tab.attribute("insertAfterMso"), "TabView");
        ASSERT_EQ(tab.children.size(), 3u);
        const auto& select = tab.children[0];
        ASSERT_EQ(select.children.size(), 3u);
        EXPECT_EQ(select.children[0].kind, RibbonControlKind::ToggleButton);
        EXPECT_EQ(select.children[1].kind, RibbonControlKind::Separator);
        EXPECT_EQ(select.children[2].kind, RibbonControlKind::DropDown);
        EXPECT_EQ(*def.find("cboTables")->attribute("getItemLabel"), "Ribbon.DDGetItemLabel");
        EXPECT_EQ(def.find("cboStatic")->items.size(), 2u);
        EXPECT_FALSE(def.find("nothing"));
    }
    // As stored in a package: with a byte-order mark.
    EXPECT_EQ(
        RibbonDefinition::parse("\xEF\xBB\xBF" + ribbonXml(RibbonDefinition::Namespace2009)).tabs.size(), 1u);
}

TEST(RibbonRuntimeTest, ReadsAPrefixedNamespaceAndHostControls) {
    const auto def = RibbonDefinition::parse(
        R"(<mso:customUI xmlns:mso="http://schemas.microsoft.com/office/2009/07/customui"><mso:ribbon><mso:tabs>
             <mso:tab idMso="TabHome"><mso:group id="g" label="G"><mso:button idMso="Copy"/></mso:group></mso:tab>
           </mso:tabs></mso:ribbon></mso:customUI>)");
    ASSERT_EQ(def.tabs.size(), 1u);
    EXPECT_TRUE(def.tabs[0].builtIn);
    EXPECT_EQ(def.tabs[0].id, "TabHome");
    EXPECT_EQ(def.find("Copy")->kind, RibbonControlKind::Button);
}

TEST(RibbonRuntimeTest, RefusesMalformedOrInvalidDefinitions) {
    const std::string ns = RibbonDefinition::Namespace2006;
    std::string description;
    EXPECT_EQ(qv::test::errorNumberOf(
                  [&] { RibbonDefinition::parse("<customUI xmlns=\"" + ns + "\"><ribbon>"); }, &description),
              err::ApplicationDefined);
    EXPECT_NE(description.find("offset"), std::string::npos) << description;
    EXPECT_EQ(qv::test::errorNumberOf([] { RibbonDefinition::parse(""); }), err::ApplicationDefined);
    EXPECT_EQ(qv::test::errorNumberOf([] { RibbonDefinition::parse("<customUI xmlns=\"urn:other\"/>"); }),
              err::ApplicationDefined);
    EXPECT_EQ(qv::test::errorNumberOf([&] { RibbonDefinition::parse("<ribbon xmlns=\"" + ns + "\"/>"); }),
              err::ApplicationDefined);
    auto inGroup = [&](const std::string& controls) {
        return "<customUI xmlns=\"" + ns + "\"><ribbon><tabs><tab id=\"t\"><group id=\"g\">" + controls +
               "</group></tab></tabs></ribbon></customUI>";
    };
    EXPECT_EQ(
        qv::test::errorNumberOf(
            [&] { RibbonDefinition::parse(inGroup("<button id=\"x\"/><button id=\"x\"/>")); }, &description),
        err::ApplicationDefined);
    EXPECT_NE(description.find("\"x\""), std::string::npos) << description;
    EXPECT_EQ(qv::test::errorNumberOf(
                  [&] { RibbonDefinition::parse(inGroup("<button id=\"x\" label=\"a\" getLabel=\"m\"/>")); }),
              err::ApplicationDefined);
    EXPECT_EQ(qv::test::errorNumberOf([&] { RibbonDefinition::parse(inGroup("<blink id=\"x\"/>")); }),
              err::ApplicationDefined);
    EXPECT_EQ(qv::test::errorNumberOf([&] { RibbonDefinition::parse(inGroup("<button label=\"no id\"/>")); }),
              err::ApplicationDefined);
    EXPECT_EQ(qv::test::errorNumberOf(
                  [&] { RibbonDefinition::parse(inGroup("<button id=\"b\"><item id=\"i\"/></button>")); }),
              err::ApplicationDefined);
    EXPECT_EQ(qv::test::errorNumberOf([] { RibbonDefinition::parseFile("no/such/ribbon.xml"); }),
              err::FileNotFound);
}

TEST(RibbonRuntimeTest, ControlsNestedBeyondTheBoundAreRefusedWithoutExhaustingTheStack) {
    const std::string ns = RibbonDefinition::Namespace2006;
    // Button groups need no id, so nothing but the depth stops a definition nested like this.
    auto nested = [&](int depth) {
        std::string xml = "<customUI xmlns=\"" + ns + "\"><ribbon><tabs><tab id=\"t\"><group id=\"g\">";
        for (int i = 0; i < depth; ++i)
            xml += "<buttonGroup>";
        xml += "<button id=\"deep\"/>";
        for (int i = 0; i < depth; ++i)
            xml += "</buttonGroup>";
        return xml + "</group></tab></tabs></ribbon></customUI>";
    };
    std::string description;
    EXPECT_EQ(qv::test::errorNumberOf([&] { RibbonDefinition::parse(nested(20000)); }, &description),
              err::ApplicationDefined);
    EXPECT_NE(description.find("nested"), std::string::npos) << description;
    EXPECT_EQ(qv::test::errorNumberOf([&] { RibbonDefinition::parse(nested(62)); }), err::ApplicationDefined);
    // Tab, group and 61 button groups put the button at the deepest level allowed.
    const RibbonDefinition def = RibbonDefinition::parse(nested(61));
    ASSERT_NE(def.find("deep"), nullptr);
    EXPECT_EQ(def.find("deep")->kind, RibbonControlKind::Button);
}

TEST(RibbonRuntimeTest, OnLoadHandsTheWorkbookARibbonThatOutlivesNothing) {
    Workbook wb;
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2009));
    ASSERT_TRUE(wb.ribbon);
    EXPECT_EQ(wb.ribbon, runtime->ui());
    const auto handle = runtime->handle();
    runtime.reset();
    EXPECT_FALSE(RibbonUIHandles::find(Variant(handle)));
    wb.ribbon->invalidate(); // the window is gone: nothing happens
    wb.ribbon->invalidateControl("cmdOpenDB");
}

TEST(RibbonRuntimeTest, CallbacksAnswerOnceUntilInvalidated) {
    Workbook wb;
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2006));
    auto first = runtime->snapshot();
    EXPECT_EQ(findState(first, "cmdOpenDB")->label, "Open database");
    EXPECT_EQ(findState(first, "cmdOpenDB")->image, "FileOpen");
    runtime->snapshot();
    EXPECT_EQ(wb.app.callsOf("Ribbon.GetLabel").size(), 2u); // cmdOpenDB and cmdRowAdd, once each

    wb.labels["cmdOpenDB"] = "Open another database";
    wb.labels["cmdRowAdd"] = "Add a record";
    EXPECT_EQ(findState(runtime->snapshot(), "cmdOpenDB")->label, "Open database"); // not invalidated yet
    wb.ribbon->invalidateControl("cmdOpenDB");
    auto after = runtime->snapshot();
    EXPECT_EQ(findState(after, "cmdOpenDB")->label, "Open another database");
    EXPECT_EQ(findState(after, "cmdRowAdd")->label, "Add record");
    wb.ribbon->invalidate();
    EXPECT_EQ(findState(runtime->snapshot(), "cmdRowAdd")->label, "Add a record");
}

TEST(RibbonRuntimeTest, StateCallbacksGetTheControlIdAndStaticValuesFillTheRest) {
    Workbook wb;
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2006));
    wb.enabled["cboTables"] = false;
    const auto tabs = runtime->snapshot();
    const auto* tables = findState(tabs, "cboTables");
    EXPECT_EQ(tables->label, "Tables");
    EXPECT_EQ(tables->sizeString, "WWWWWWWWWWW");
    EXPECT_FALSE(tables->enabled);
    const auto enabledCalls = wb.app.callsOf("Ribbon.GetEnabled");
    ASSERT_FALSE(enabledCalls.empty());
    EXPECT_EQ(enabledCalls[0].args, std::vector<Variant>{Variant("cboTables")});
    const auto* rowAdd = findState(tabs, "cmdRowAdd");
    EXPECT_EQ(rowAdd->imageMso, "GoToNewRecord");
    EXPECT_EQ(rowAdd->screentip, "Hotkey: F6");
    EXPECT_EQ(rowAdd->size, "large");
    const auto* info = findState(tabs, "cmdInfo");
    EXPECT_EQ(info->label, "Info");
    EXPECT_TRUE(info->enabled);
    EXPECT_TRUE(info->visible);
    EXPECT_EQ(info->size, "normal");
    EXPECT_EQ(tabs[0].label, "Quorvel LT");
    EXPECT_EQ(tabs[0].keytip, "QL");
}

TEST(RibbonRuntimeTest, DropDownItemsComeFromTheCallbacksAndAreAskedAgain) {
    Workbook wb;
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2009));
    auto tables = runtime->state("cboTables");
    ASSERT_EQ(tables.items.size(), 4u);
    EXPECT_EQ(tables.items[0].label, "[Choose]");
    EXPECT_EQ(tables.items[3].label, "Products");
    EXPECT_EQ(tables.selectedIndex, 0);
    const auto labelCalls = wb.app.callsOf("Ribbon.DDGetItemLabel");
    ASSERT_EQ(labelCalls.size(), 4u);
    EXPECT_EQ(labelCalls[2].args, (std::vector<Variant>{Variant("cboTables"), Variant(2)}));

    wb.tables.pop_back();
    EXPECT_EQ(runtime->state("cboTables").items.size(), 4u);
    wb.ribbon->invalidate();
    EXPECT_EQ(runtime->state("cboTables").items.size(), 3u);

    const auto fixed = runtime->state("cboStatic");
    ASSERT_EQ(fixed.items.size(), 2u);
    EXPECT_EQ(fixed.items[1].id, "b");
    EXPECT_EQ(fixed.items[1].image, "Info");
}

TEST(RibbonRuntimeTest, NoAnswerFromTheItemCountMeansAnEmptyList) {
    Workbook wb;
    wb.app.define("Ribbon.DDGetItemCount", [](const std::vector<Variant>&) { return Variant(); });
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2009));
    const auto tables = runtime->state("cboTables");
    EXPECT_TRUE(tables.items.empty());
    EXPECT_EQ(tables.selectedIndex, -1);
}

TEST(RibbonRuntimeTest, SelectPassesItemIdAndIndexToOnAction) {
    Workbook wb;
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2009));
    EXPECT_TRUE(runtime->select("cboTables", 2));
    const auto shows = wb.app.callsOf("Ribbon.Show");
    ASSERT_EQ(shows.size(), 1u);
    ASSERT_EQ(shows[0].args.size(), 3u);
    EXPECT_EQ(shows[0].args[0], Variant("cboTables"));
    EXPECT_EQ(shows[0].args[2], Variant(2));
    EXPECT_EQ(runtime->state("cboTables").selectedIndex, 2);
    EXPECT_EQ(qv::test::errorNumberOf([&] { runtime->select("cboTables", 4); }), err::SubscriptOutOfRange);
    EXPECT_EQ(qv::test::errorNumberOf([&] { runtime->select("cmdHelp", 0); }), err::InvalidProcedureCall);
    EXPECT_FALSE(runtime->select("cboStatic", 1)); // no onAction: nothing to run
}

TEST(RibbonRuntimeTest, ClickPassesTheControlAndTheNewPressedState) {
    Workbook wb;
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2006));
    EXPECT_TRUE(runtime->click("cmdHelp"));
    ASSERT_EQ(wb.app.callsOf("Ribbon.ShowHelp").size(), 1u);
    EXPECT_EQ(wb.app.callsOf("Ribbon.ShowHelp")[0].args, std::vector<Variant>{Variant("cmdHelp")});
    EXPECT_TRUE(runtime->click("cmdOpenDB"));
    EXPECT_EQ(wb.app.callsOf("Ribbon.GetDatabase")[0].args,
              (std::vector<Variant>{Variant("cmdOpenDB"), Variant(true)}));
    EXPECT_FALSE(runtime->click("cmdInfo")); // no onAction
    EXPECT_EQ(qv::test::errorNumberOf([&] { runtime->click("nothing"); }), err::InvalidProcedureCall);
    EXPECT_EQ(qv::test::errorNumberOf([&] { runtime->click("cboTables"); }), err::InvalidProcedureCall);
}

TEST(RibbonRuntimeTest, DisabledOrHiddenControlsRunNothing) {
    Workbook wb;
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2006));
    wb.enabled["cmdRowAdd"] = false;
    EXPECT_FALSE(runtime->click("cmdRowAdd"));
    wb.enabled["cmdRowAdd"] = true;
    wb.editVisible = false;
    wb.ribbon->invalidate();
    EXPECT_FALSE(runtime->click("cmdRowAdd")); // its group is hidden
    wb.editVisible = true;
    wb.ribbon->invalidate();
    EXPECT_TRUE(runtime->click("cmdRowAdd"));
    EXPECT_EQ(wb.app.callsOf("Ribbon.AddRow").size(), 1u);
}

TEST(RibbonRuntimeTest, AFailingStateCallbackKeepsTheDefaultAndIsReported) {
    Workbook wb;
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2006));
    wb.app.define("Ribbon.GetEnabled", [](const std::vector<Variant>&) -> Variant {
        throw NumberedError(err::ObjectNotSet, "Interface12", "Object variable not set");
    });
    wb.app.define("Ribbon.GetLabel", [](const std::vector<Variant>&) { return Variant("not a flag"); });
    wb.app.define("Ribbon.GetVisible", [](const std::vector<Variant>&) { return Variant("maybe"); });
    const auto tabs = runtime->snapshot();
    EXPECT_TRUE(findState(tabs, "cboTables")->enabled);
    EXPECT_TRUE(findState(tabs, "cmdRowAdd")->visible); // the group's "maybe" is no answer
    const auto errors = runtime->takeCallbackErrors();
    ASSERT_GE(errors.size(), 2u);
    EXPECT_EQ(errors[0].number(), err::ObjectNotSet);
    EXPECT_NE(errors[0].description().find("getEnabled"), std::string::npos);
    EXPECT_TRUE(runtime->takeCallbackErrors().empty());
}

TEST(RibbonRuntimeTest, AFailingActionReachesTheCaller) {
    Workbook wb;
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2006));
    wb.app.define("Ribbon.ShowHelp", [](const std::vector<Variant>&) -> Variant {
        throw NumberedError(err::FileNotFound, "Help", "File not found");
    });
    EXPECT_EQ(qv::test::errorNumberOf([&] { runtime->click("cmdHelp"); }), err::FileNotFound);
}

TEST(RibbonRuntimeTest, AMissingOnLoadMacroIsReportedAndTheRibbonStillShows) {
    RibbonFakeApplication app;
    auto runtime = RibbonRuntime::load(app, ribbonXml(RibbonDefinition::Namespace2006));
    const auto errors = runtime->takeCallbackErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number(), err::ApplicationDefined);
    const auto tabs = runtime->snapshot();
    EXPECT_EQ(findState(tabs, "cmdOpenDB")->label, ""); // every callback failed: defaults
    EXPECT_EQ(findState(tabs, "cmdHelp")->label, "Quorvel Help");
}

TEST(RibbonRuntimeTest, InvalidationNotifiesTheWindow) {
    Workbook wb;
    auto runtime = RibbonRuntime::load(wb.app, ribbonXml(RibbonDefinition::Namespace2006));
    int redraws = 0;
    runtime->setInvalidationListener([&] { ++redraws; });
    const auto before = runtime->revision();
    wb.ribbon->invalidate();
    wb.ribbon->invalidateControl("cmdRowAdd");
    wb.ribbon->invalidateControl("unknown"); // ignored, as the host does
    EXPECT_EQ(redraws, 2);
    EXPECT_EQ(runtime->revision(), before + 2);
}
