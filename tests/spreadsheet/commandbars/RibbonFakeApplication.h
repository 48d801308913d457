// A test-only application with working macros and nothing else: enough to drive the ribbon.
// Every call of a macro is recorded with its arguments, so tests can check what the ribbon
// passed; every other member refuses with error 668.
#pragma once

#include "platform/NumberedError.h"
#include "platform/host/IApplication.h"

#include <map>
#include <string>
#include <vector>

namespace qv::test {

class RibbonFakeApplication : public IApplication {
  public:
    struct Call {
        std::string macro;
        std::vector<Variant> args;
    };

    std::vector<Call> calls;

    void define(const std::string& name, Macro macro) { mMacros[name] = std::move(macro); }
    // Calls of one macro only.
    std::vector<Call> callsOf(const std::string& name) const {
        std::vector<Call> out;
        for (const auto& c : calls)
            if (c.macro == name) out.push_back(c);
        return out;
    }

    void registerMacro(const WorkbookPtr&, const std::string& name, Macro macro) override {
        define(name, std::move(macro));
    }
    bool hasMacro(const std::string& name) const override { return mMacros.count(name) != 0; }
    Variant run(const std::string& macro, const std::vector<Variant>& args = {}) override {
        calls.push_back({macro, args});
        const auto it = mMacros.find(macro);
        if (it == mMacros.end())
            throw NumberedError(err::ApplicationDefined, "Application",
                                "Cannot run the macro '" + macro + "'");
        return it->second(args);
    }

    std::string name() const override { return "Fake"; }
    std::string version() const override { return "12.0"; }
    Variant international(int) const override { return Variant(1); }
    long workbookCount() const override { return 0; }
    WorkbookPtr workbook(long) const override { refuse(); }
    WorkbookPtr findWorkbook(const std::string&) const override { return nullptr; }
    WorkbookPtr addWorkbook() override { refuse(); }
    WorkbookPtr openWorkbook(const std::string&) override { refuse(); }
    WorkbookPtr activeWorkbook() const override { return nullptr; }
    WorksheetPtr activeSheet() const override { return nullptr; }
    RangePtr selection() const override { return nullptr; }
    RangePtr activeCell() const override { return nullptr; }
    RangePtr intersect(const RangePtr&, const RangePtr&) const override { return nullptr; }
    std::string statusBar() const override { return {}; }
    void setStatusBar(const std::string&) override {}
    bool screenUpdating() const override { return true; }
    void setScreenUpdating(bool) override {}
    bool enableEvents() const override { return true; }
    void setEnableEvents(bool) override {}
    bool displayAlerts() const override { return true; }
    void setDisplayAlerts(bool) override {}
    int calculation() const override { return 0; }
    void setCalculation(int) override {}
    bool ready() const override { return true; }
    void doEvents() override {}
    bool moveAfterReturn() const override { return true; }
    void setMoveAfterReturn(bool) override {}
    int moveAfterReturnDirection() const override { return 0; }
    void setMoveAfterReturnDirection(int) override {}
    bool ribbonAvailable() const override { return true; }
    void onKey(const std::string&, const std::string&) override {}
    void resetKey(const std::string&) override {}
    std::string keyBinding(const std::string&) const override { return {}; }
    void onTime(const std::string&) override {}
    Variant inputBox(const std::string&, const std::string&, const Variant&, int) override { refuse(); }
    Variant getSaveAsFilename(const std::string&, const std::string&, const std::string&) override {
        refuse();
    }
    bool dialogEditColor(int, long) override { refuse(); }
    long long hwnd() const override { return 0; }
    std::shared_ptr<ICommandBars> commandBars() override { return nullptr; }
    void addEventListener(IApplicationEvents*) override {}
    void removeEventListener(IApplicationEvents*) override {}

  private:
    [[noreturn]] static void refuse() {
        throw NumberedError(err::NotImplemented, "RibbonFakeApplication", "not part of the fake");
    }
    std::map<std::string, Macro> mMacros;
};

} // namespace qv::test
