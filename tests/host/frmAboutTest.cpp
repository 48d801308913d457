// The about dialog: the product, the version as "Version" setting, a point and the revision,
// and the system information button, which starts the first tool the system has.
#include "HostFixture.h"

#include "host/frmAbout.h"

#include <set>

namespace qv::test {

namespace {
class ToolShell : public Shell {
  public:
    std::set<std::string> available;
    std::vector<std::string> started;
    bool programAvailable(const std::string& name) override { return available.count(name) > 0; }
    bool startProgram(const std::string& program, const std::vector<std::string>&) override {
        started.push_back(program);
        return true;
    }
};

const DialogControl* shown(const PromptRecord& r, const std::string& name) {
    for (const auto& c : r.controls)
        if (c.name == name) return &c;
    return nullptr;
}
} // namespace

class frmAboutTest : public HostFixture {
  protected:
    ToolShell& useToolShell() {
        auto shell = std::make_unique<ToolShell>();
        ToolShell& ref = *shell;
        mShell = std::move(shell);
        return ref;
    }
    const PromptRecord* aboutRecord() const {
        for (const auto& r : mScript.records())
            if (r.dialogName == "frmAbout") return &r;
        return nullptr;
    }
};

TEST_F(frmAboutTest, ShowsTheProductAndTheVersionWithTheRevision) {
    startAddin();
    mScript << ScriptStep::dialog("frmAbout").click("cmdOK");
    mEntry->ShowInfo();
    const PromptRecord* r = aboutRecord();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->text, "About Quorvel LT");
    EXPECT_EQ(shown(*r, "lblProduct")->caption, "Quorvel LT");
    EXPECT_EQ(shown(*r, "lblVersion")->caption, "1.0.12");
    EXPECT_EQ(shown(*r, "cmdSysInfo")->caption, "&System Info... ");
}

TEST_F(frmAboutTest, SystemInfoStartsTheFirstToolTheSystemHas) {
    ToolShell& shell = useToolShell();
    shell.available = {"gnome-system-monitor", "kinfocenter"};
    startAddin();
    mScript << ScriptStep::dialog("frmAbout").click("cmdSysInfo").click("cmdOK");
    mEntry->ShowInfo();
    EXPECT_EQ(shell.started, std::vector<std::string>{"gnome-system-monitor"});
}

TEST_F(frmAboutTest, WithoutAnyToolSystemInfoIsUnavailable) {
    ToolShell& shell = useToolShell();
    startAddin();
    mScript << ScriptStep::dialog("frmAbout").click("cmdSysInfo").click("cmdOK")
            << ScriptStep::messageBox("System Information is unavailable", xl::AnswerOk);
    mEntry->ShowInfo();
    EXPECT_TRUE(shell.started.empty());
    EXPECT_TRUE(mScript.errors().empty()) << mScript.errors().front();
}

} // namespace qv::test
