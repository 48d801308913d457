// The settings dialog played by the scripted toolkit, as a person would use it: what it shows,
// what it refuses, and exactly what it writes and when. The settings live in memory with the
// catalogue's defaults, so a test sees every write with its registry type.
#include "common/frmSettings.h"
#include "common/ISettings.h"
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modGlobalization.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Application.h"
#include "system/DialogScript.h"
#include "system/ScriptedDialogs.h"
#include "system/ScriptedToolkit.h"

#include <gtest/gtest.h>
#include <map>

namespace qv {
namespace {

class CatalogueSettings : public ISettings {
  public:
    std::map<std::string, Variant> values;
    std::vector<std::tuple<int, std::string, std::string>> writes; // type, name, value as text

    Variant GetSetting(const std::string& name) override {
        auto it = values.find(name);
        if (it != values.end()) return it->second;
        const SettingDefinition* d = clsSettings::Find(name);
        return d ? d->defaultValue : Variant();
    }
    void SaveSetting(int type, const std::string& name, const Variant& value) override {
        values[name] = value;
        writes.emplace_back(type, name, value.toString());
    }
    Variant ReadSetting(const std::string& name) override {
        auto it = values.find(name);
        return it == values.end() ? Variant() : it->second;
    }
    bool IsMessageEnabled(const std::string& name) override { return GetSetting(name).toString() == "True"; }
    std::string written(const std::string& name) const {
        std::string last;
        for (const auto& [type, n, v] : writes)
            if (n == name) last = v;
        return last;
    }
};

class frmSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { start(sheet::Locale::English); }
    void TearDown() override { modGlobalization::SetCountryCode(0); }

    void start(sheet::Locale locale) {
        sheet::ApplicationOptions o;
        o.locale = locale;
        o.dialogs = &dialogs;
        app = sheet::Application::create(o);
        ctx.application = [this] { return ApplicationPtr(app); };
        ctx.settings = &settings;
        ctx.dialogs = &dialogs;
        ctx.toolkit = &toolkit;
        aux = std::make_unique<clsAux>(ctx);
    }
    // Shows the dialog once with the script as it stands.
    void show() {
        frmSettings form(*aux, [this] { ++reformats; });
        form.Show();
    }
    const PromptRecord& dialogRecord() const {
        for (const auto& r : script.records())
            if (r.kind == PromptKind::Dialog) return r;
        throw std::runtime_error("no dialog was shown");
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const auto& r : script.records())
            if (r.kind == PromptKind::MessageBox) out.push_back(r.text);
        return out;
    }
    static const DialogControl& shownControl(const PromptRecord& r, const std::string& name) {
        for (const auto& c : r.controls)
            if (c.name == name) return c;
        throw std::runtime_error("no control " + name);
    }

    DialogScript script;
    ScriptedDialogs dialogs{script};
    ScriptedToolkit toolkit{script};
    CatalogueSettings settings;
    AuxContext ctx;
    std::shared_ptr<sheet::Application> app;
    std::unique_ptr<clsAux> aux;
    int reformats = 0;
};

TEST_F(frmSettingsTest, OpensWithItsCaptionsAndTheStoredSettings) {
    settings.values["Setting display zeros"] = Variant("True");
    settings.values["Setting color matrix back"] = Variant(255);
    script << ScriptStep::dialog("frmSettings").click("cmdCancel");
    show();
    const PromptRecord& r = dialogRecord();
    EXPECT_EQ(r.text, "Settings");
    EXPECT_EQ(shownControl(r, "TabStrip1").items, (std::vector<std::string>{"Colors", "View", "Other"}));
    EXPECT_EQ(shownControl(r, "cmdCancel").caption, "&Cancel");
    EXPECT_EQ(shownControl(r, "cmdApply").caption, "&Apply");
    EXPECT_EQ(shownControl(r, "chkShowHeadings").caption, "Show headings");
    EXPECT_EQ(shownControl(r, "chkShowZeros").value, Variant(true));
    EXPECT_EQ(shownControl(r, "chkShowHeadings").value, Variant(false));
    EXPECT_EQ(shownControl(r, "lblColor(0)").backColor, 8404992);
    EXPECT_EQ(shownControl(r, "lblColor(2)").backColor, 255);
    EXPECT_EQ(shownControl(r, "txtCellsWarning").value.toString(), "100000");
    // Only the first tab's frame shows.
    EXPECT_TRUE(shownControl(r, "Frame1(0)").visible);
    EXPECT_FALSE(shownControl(r, "Frame1(2)").visible);
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_TRUE(script.errors().empty()) << script.errors().front();
}

TEST_F(frmSettingsTest, CancelLosesEveryChangeAndWritesNothing) {
    script << ScriptStep::dialog("frmSettings")
                  .click("chkShowHeadings")
                  .set("txtCellsWarning", Variant("20000"))
                  .click("cmdCancel");
    show();
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(reformats, 0);
}

TEST_F(frmSettingsTest, OkWritesTheNineteenSettingsInOrderAndReformatsTheForm) {
    script << ScriptStep::dialog("frmSettings")
                  .click("chkShowHeadings")
                  .set("txtCellsWarning", Variant("20000"))
                  .click("cmdOK");
    show();
    ASSERT_EQ(settings.writes.size(), 19u);
    EXPECT_EQ(std::get<1>(settings.writes.front()), "Setting color title back");
    EXPECT_EQ(std::get<0>(settings.writes.front()), 4);
    EXPECT_EQ(std::get<1>(settings.writes.back()), "Setting fixed column width");
    EXPECT_EQ(settings.written("Setting display headings"), "True");
    // An untouched box writes what it was loaded with.
    EXPECT_EQ(settings.written("Setting display zeros"),
              clsSettings::Find("Setting display zeros")->defaultValue.toString());
    EXPECT_EQ(settings.written("Setting warning nr of cells"), "20000");
    for (const auto& [type, name, value] : settings.writes)
        EXPECT_EQ(type, name.rfind("Setting color", 0) == 0 || name == "Setting warning nr of cells" ||
                                name == "Setting fixed column width"
                            ? 4
                            : 1)
            << name;
    EXPECT_EQ(reformats, 1);
    EXPECT_EQ(dialogRecord().answer, "1");
}

TEST_F(frmSettingsTest, ApplyWritesReformatsAndStaysOpen) {
    script << ScriptStep::dialog("frmSettings").click("chkFreezeTopRow").click("cmdApply").click("cmdCancel");
    show();
    EXPECT_EQ(settings.written("Setting freeze top row"), "False");
    EXPECT_EQ(reformats, 1);
    EXPECT_EQ(dialogRecord().answer, "0");
}

TEST_F(frmSettingsTest, LettersTypedIntoANumberBoxAreDiscarded) {
    script << ScriptStep::dialog("frmSettings")
                  .set("txtCellsWarning", Variant(""))
                  .type("txtCellsWarning", "2x0y00z0")
                  .click("cmdOK");
    show();
    EXPECT_EQ(settings.written("Setting warning nr of cells"), "20000");
    EXPECT_TRUE(messages().empty());
}

TEST_F(frmSettingsTest, LoadWarningOutsideItsBoundsKeepsTheFocusWithDutchThousands) {
    modGlobalization::SetCountryCode(31);
    start(sheet::Locale::Dutch);
    script << ScriptStep::dialog("frmSettings")
                  .set("txtCellsWarning", Variant("9999"))
                  .click("cmdOK") // the focus stays in the box: OK does not happen
                  .set("txtCellsWarning", Variant("10000"))
                  .click("cmdOK")
           << ScriptStep::messageBox("10.000", xl::AnswerOk);
    // The message is asked while the dialog plays, so its step follows the dialog's.
    show();
    const auto shown = messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Vul een waarde in tussen 10.000 en 500.000");
    EXPECT_EQ(settings.written("Setting warning nr of cells"), "10000");
    EXPECT_EQ(settings.writes.size(), 19u); // written once, by the second OK only
}

TEST_F(frmSettingsTest, BoundsOfTheLoadWarningAreAccepted) {
    for (const char* v : {"10000", "500000"}) {
        settings.writes.clear();
        script << ScriptStep::dialog("frmSettings").set("txtCellsWarning", Variant(v)).click("cmdOK");
        show();
        EXPECT_EQ(settings.written("Setting warning nr of cells"), v);
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(frmSettingsTest, FixedWidthOutsideTwoToHundredIsRefused) {
    for (const char* bad : {"1", "101", ""}) {
        settings.writes.clear();
        script << ScriptStep::dialog("frmSettings")
                      .set("txtFixedColumnWidth", Variant(bad))
                      .click("cmdApply")
                      .click("cmdCancel")
               << ScriptStep::messageBox("", xl::AnswerOk);
        show();
        EXPECT_TRUE(settings.writes.empty()) << bad;
    }
    const auto shown = messages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], "Enter a value between 2 en 100");
    EXPECT_EQ(shown[2], "Value is mandatory");
    for (const char* good : {"2", "100"}) {
        script << ScriptStep::dialog("frmSettings").set("txtFixedColumnWidth", Variant(good)).click("cmdOK");
        show();
        EXPECT_EQ(settings.written("Setting fixed column width"), good);
    }
}

TEST_F(frmSettingsTest, ColumnWidthBoxesEnableEachOther) {
    frmSettings form(*aux, {});
    form.LoadSettingsIntoDialog();
    DialogModel& m = form.Model();
    auto enabled = [&](const char* n) { return m.control(n).enabled; };
    EXPECT_TRUE(enabled("chkAutoAdjustColumnWidths"));
    EXPECT_TRUE(enabled("txtFixedColumnWidth"));
    m.click("chkApplyColumnPropsAccess");
    EXPECT_FALSE(enabled("chkAutoAdjustColumnWidths"));
    EXPECT_FALSE(enabled("txtFixedColumnWidth"));
    EXPECT_FALSE(enabled("lblFixedColumnWidth"));
    m.click("chkApplyColumnPropsAccess");
    EXPECT_TRUE(enabled("chkAutoAdjustColumnWidths"));
    EXPECT_TRUE(enabled("txtFixedColumnWidth"));
    m.click("chkAutoAdjustColumnWidths");
    EXPECT_FALSE(enabled("txtFixedColumnWidth"));
    m.click("chkApplyColumnPropsAccess");
    m.click("chkApplyColumnPropsAccess");
    EXPECT_TRUE(enabled("chkAutoAdjustColumnWidths"));
    EXPECT_FALSE(enabled("txtFixedColumnWidth")); // the autofit box is still ticked
}

TEST_F(frmSettingsTest, ChangingAColourWithoutAWorkbookSaysOpenOneFirst) {
    script << ScriptStep::dialog("frmSettings").click("cmdChangeColor(3)").click("cmdCancel")
           << ScriptStep::messageBox("Open an Excel workbook first.", xl::AnswerOk);
    show();
    EXPECT_EQ(messages(), std::vector<std::string>{"Open an Excel workbook first."});
}

TEST_F(frmSettingsTest, ReadOnlyFillEqualToEditableFillStopsOkAndWritesNothing) {
    app->addWorkbook();
    const long editable = clsSettings::Find("Setting color matrix back")->defaultValue.toInt32();
    script << ScriptStep::dialog("frmSettings").click("cmdChangeColor(4)").click("cmdOK").click("cmdCancel")
           << ScriptStep::pickColor(editable) << ScriptStep::messageBox("", xl::AnswerOk);
    show();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("The fill color of locked table cells needs", 0), 0u);
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(reformats, 0);
}

TEST_F(frmSettingsTest, AChosenColourShowsAtOnceAndIsWrittenOnlyByApply) {
    app->addWorkbook();
    frmSettings form(*aux, {});
    form.LoadSettingsIntoDialog();
    script << ScriptStep::pickColor(0x00FF00);
    form.Model().click("cmdChangeColor(9)");
    EXPECT_EQ(form.Color(9), 0x00FF00);
    EXPECT_EQ(form.Model().control("lblColor(9)").backColor, 0x00FF00);
    EXPECT_TRUE(settings.writes.empty());
    form.ApplySettings(false);
    EXPECT_EQ(settings.written("Setting color form back"), std::to_string(0x00FF00));
    // Cancelling the picker keeps the colour.
    script << ScriptStep::pickColor(std::nullopt);
    form.Model().click("cmdChangeColor(9)");
    EXPECT_EQ(form.Color(9), 0x00FF00);
}

TEST_F(frmSettingsTest, RestoringDefaultsWritesTheCatalogueValuesAndReformats) {
    settings.values["Setting color title back"] = Variant(1);
    settings.values["Setting display headings"] = Variant("True");
    script << ScriptStep::dialog("frmSettings").click("cmdApplyDefaults").click("cmdCancel")
           << ScriptStep::messageBox("Are you sure?", xl::AnswerYes).flags(65572)
           << ScriptStep::messageBox("Default settings are applied.", xl::AnswerOk);
    show();
    EXPECT_EQ(settings.written("Setting color title back"), "8404992");
    EXPECT_EQ(settings.written("Setting display headings"), "False");
    EXPECT_EQ(settings.writes.size(), 19u);
    EXPECT_EQ(reformats, 1);
    EXPECT_TRUE(script.errors().empty()) << script.errors().front();
}

TEST_F(frmSettingsTest, DecliningToRestoreDefaultsChangesNothing) {
    script << ScriptStep::dialog("frmSettings").click("cmdApplyDefaults").click("cmdCancel")
           << ScriptStep::messageBox("Are you sure?", xl::AnswerNo);
    show();
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(reformats, 0);
}

TEST_F(frmSettingsTest, RestoringMessagesWritesTheSwitchesAtOnce) {
    settings.values["Show message select db"] = Variant("False");
    script << ScriptStep::dialog("frmSettings").click("cmdRestoreUserMsg").click("cmdCancel")
           << ScriptStep::messageBox("Are you sure?", xl::AnswerYes)
           << ScriptStep::messageBox("User messages are restored.", xl::AnswerOk);
    show();
    EXPECT_EQ(settings.written("Show message select db"), "True");
    EXPECT_EQ(settings.writes.size(), 6u);
}

TEST_F(frmSettingsTest, ChoosingATabShowsOnlyItsFrame) {
    frmSettings form(*aux, {});
    form.Model().setValue("TabStrip1", Variant(2));
    EXPECT_FALSE(form.Model().control("Frame1(0)").visible);
    EXPECT_TRUE(form.Model().control("Frame1(2)").visible);
}

// Saving straight from the controls with a bad number refuses before the first write.
TEST_F(frmSettingsTest, SavingWithABadNumberWritesNothing) {
    frmSettings form(*aux, {});
    form.LoadSettingsIntoDialog();
    form.Model().control("txtFixedColumnWidth").value = Variant("");
    try {
        form.SaveAllSettings(false);
        FAIL() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 380);
    }
    EXPECT_TRUE(settings.writes.empty());
}

} // namespace
} // namespace qv
