// Control names and the order of the colour rows are the product's own; colour rows are
// control arrays written as "lblColor(3)". A numeric box validates when the focus leaves it,
// and Apply/OK validate both boxes again, so a value typed without leaving the box is never
// written unchecked.
#include "common/frmSettings.h"

#include "common/AppConstants.h"
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "platform/host/IApplication.h"

#include <cstdlib>
#include <fmt/format.h>

namespace qv {

namespace {
using modGlobalization::GetFormControlText;
using modGlobalization::GetText;

constexpr int RegSz = 1;
constexpr int InvalidPropertyValue = 380; // ends the operation without a word
constexpr int RegDword = 4;

struct ColorRow {
    const char* setting;
    const char* label;
};
constexpr ColorRow ColorRows[frmSettings::ColorCount] = {
    {setting::ColorTitleBack, "lblTitleBack"},
    {setting::ColorTitleFront, "lblTitleFront"},
    {setting::ColorMatrixBack, "lblMatrixBack"},
    {setting::ColorMatrixFront, "lblMatrixFront"},
    {setting::ColorMatrixBackReadOnly, "lblMatrixBackReadOnly"},
    {setting::ColorMatrixFrontReadOnly, "lblMatrixFrontReadOnly"},
    {setting::ColorMatrixBackEdited, "lblMatrixBackEdited"},
    {setting::ColorMatrixFrontEdited, "lblMatrixFrontEdited"},
    {setting::ColorMatrixLines, "lblMatrixEdges"},
    {setting::ColorFormBack, "lblFormBack"},
};

struct Switch {
    const char* setting;
    const char* box;
};
constexpr Switch Switches[] = {
    {setting::DisplayHeadings, "chkShowHeadings"},
    {setting::DisplayFilter, "chkShowFilter"},
    {setting::DisplayZeros, "chkShowZeros"},
    {setting::DisplayFieldDescription, "chkShowFieldDescription"},
    {setting::FreezeTopRow, "chkFreezeTopRow"},
    {setting::AdjustWidthsAutomatically, "chkAutoAdjustColumnWidths"},
    {setting::ApplyColumnPropertiesAccess, "chkApplyColumnPropsAccess"},
};

constexpr const char* CellsBox = "txtCellsWarning";
constexpr const char* WidthBox = "txtFixedColumnWidth";
constexpr const char* AutoFit = "chkAutoAdjustColumnWidths";
constexpr const char* AccessProps = "chkApplyColumnPropsAccess";

std::string indexed(const char* name, int i) {
    return fmt::format("{}({})", name, i);
}

bool ticked(const DialogModel& m, const char* box) {
    const Variant& v = m.control(box).value;
    return !v.isEmpty() && v.toBool();
}

std::string boxText(const DialogModel& m, const char* box) {
    const Variant& v = m.control(box).value;
    return v.isEmpty() || v.isNull() ? std::string() : v.toString();
}

// The box's digits as a number; nothing when empty or not a whole number that fits.
std::optional<long> boxNumber(const DialogModel& m, const char* box) {
    const std::string text = boxText(m, box);
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::strtol(text.c_str(), nullptr, 10);
}

long asColor(const Variant& v) {
    if (v.isNumber()) return static_cast<long>(v.toInt64());
    const std::string text = v.isEmpty() ? std::string() : v.toString();
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    return end && *end == 0 && !text.empty() ? n : 0;
}
} // namespace

frmSettings::frmSettings(clsAux& aux, std::function<void()> reformatForm)
    : mAux(aux), mReformatForm(std::move(reformatForm)), mModel("frmSettings") {
    mModel.add({.name = "TabStrip1",
                .kind = ControlKind::TabStrip,
                .value = Variant(0),
                .width = 360,
                .height = 300});
    for (int page = 0; page < 3; ++page)
        mModel.add({.name = indexed("Frame1", page),
                    .kind = ControlKind::Frame,
                    .tabPage = page,
                    .visible = page == 0});
    for (int i = 0; i < ColorCount; ++i) {
        const std::string frame = indexed("Frame1", 0);
        const int top = 12 + 26 * i;
        mModel.add({.name = ColorRows[i].label,
                    .kind = ControlKind::Label,
                    .parent = frame,
                    .tabPage = 0,
                    .left = 12,
                    .top = top,
                    .width = 200,
                    .height = 18});
        mModel.add({.name = indexed("lblColor", i),
                    .kind = ControlKind::Label,
                    .parent = frame,
                    .tabPage = 0,
                    .left = 220,
                    .top = top,
                    .width = 60,
                    .height = 18});
        mModel.add({.name = indexed("cmdChangeColor", i),
                    .kind = ControlKind::CommandButton,
                    .caption = "...",
                    .parent = frame,
                    .tabPage = 0,
                    .left = 290,
                    .top = top,
                    .width = 30,
                    .height = 18});
        mModel.onClick(indexed("cmdChangeColor", i), [this, i](DialogModel&) { changeColor(i); });
    }
    const std::string view = indexed("Frame1", 1), other = indexed("Frame1", 2);
    int top = 12;
    for (const char* box :
         {"chkShowHeadings", "chkShowFilter", "chkShowZeros", "chkShowFieldDescription", "chkFreezeTopRow"}) {
        mModel.add({.name = box,
                    .kind = ControlKind::CheckBox,
                    .value = Variant(false),
                    .parent = view,
                    .tabPage = 1,
                    .left = 12,
                    .top = top,
                    .width = 320,
                    .height = 18});
        top += 24;
    }
    mModel.add({.name = "lblCellsWarning",
                .kind = ControlKind::Label,
                .parent = other,
                .tabPage = 2,
                .left = 12,
                .top = 12,
                .width = 240,
                .height = 30});
    mModel.add({.name = CellsBox,
                .kind = ControlKind::TextBox,
                .value = Variant(""),
                .parent = other,
                .tabPage = 2,
                .left = 260,
                .top = 12,
                .width = 70,
                .height = 18});
    mModel.add({.name = AutoFit,
                .kind = ControlKind::CheckBox,
                .value = Variant(false),
                .parent = other,
                .tabPage = 2,
                .left = 12,
                .top = 50,
                .width = 320,
                .height = 18});
    mModel.add({.name = AccessProps,
                .kind = ControlKind::CheckBox,
                .value = Variant(false),
                .parent = other,
                .tabPage = 2,
                .left = 12,
                .top = 74,
                .width = 320,
                .height = 18});
    mModel.add({.name = "lblFixedColumnWidth",
                .kind = ControlKind::Label,
                .parent = other,
                .tabPage = 2,
                .left = 12,
                .top = 100,
                .width = 240,
                .height = 18});
    mModel.add({.name = WidthBox,
                .kind = ControlKind::TextBox,
                .value = Variant(""),
                .parent = other,
                .tabPage = 2,
                .left = 260,
                .top = 100,
                .width = 70,
                .height = 18});
    mModel.add({.name = "cmdRestoreUserMsg",
                .kind = ControlKind::CommandButton,
                .parent = other,
                .tabPage = 2,
                .left = 12,
                .top = 140,
                .width = 200,
                .height = 22});
    mModel.add({.name = "cmdApplyDefaults",
                .kind = ControlKind::CommandButton,
                .parent = other,
                .tabPage = 2,
                .left = 12,
                .top = 170,
                .width = 200,
                .height = 22});
    mModel.add({.name = "cmdOK",
                .kind = ControlKind::CommandButton,
                .caption = "OK",
                .isDefault = true,
                .left = 120,
                .top = 310,
                .width = 72,
                .height = 22});
    mModel.add({.name = "cmdCancel",
                .kind = ControlKind::CommandButton,
                .isCancel = true,
                .left = 200,
                .top = 310,
                .width = 72,
                .height = 22});
    mModel.add({.name = "cmdApply",
                .kind = ControlKind::CommandButton,
                .left = 280,
                .top = 310,
                .width = 72,
                .height = 22});

    mModel.onChange("TabStrip1", [](DialogModel& m) {
        const int selected = m.control("TabStrip1").value.toInt32();
        for (int page = 0; page < 3; ++page)
            m.control(indexed("Frame1", page)).visible = page == selected;
    });
    mModel.onClick(AutoFit, [this](DialogModel&) { setEnabledStates(); });
    mModel.onClick(AccessProps, [this](DialogModel&) { setEnabledStates(); });
    // A script or a window may set the boxes without a click; the states follow all the same.
    mModel.onChange(AutoFit, [this](DialogModel&) { setEnabledStates(); });
    mModel.onChange(AccessProps, [this](DialogModel&) { setEnabledStates(); });
    for (const char* box : {CellsBox, WidthBox})
        mModel.onKey(box, [](DialogModel&, int keyCode) { return clsAux::IsNumericKey(keyCode); });
    mModel.onExit(CellsBox,
                  [this](DialogModel&) { return checkNumber(CellsBox, CellsWarningMin, CellsWarningMax); });
    mModel.onExit(WidthBox,
                  [this](DialogModel&) { return checkNumber(WidthBox, FixedWidthMin, FixedWidthMax); });
    mModel.onClick("cmdRestoreUserMsg", [this](DialogModel&) { mAux.RestoreUserMessages(); });
    mModel.onClick("cmdApplyDefaults", [this](DialogModel&) { applyDefaults(); });
    mModel.onClick("cmdOK", [this](DialogModel&) { ApplySettings(true); });
    mModel.onClick("cmdApply", [this](DialogModel&) { ApplySettings(false); });
    mModel.onClick("cmdCancel", [](DialogModel& m) { m.close(dialog::Cancelled); });
}

void frmSettings::setCaptions() {
    mModel.setCaption(GetFormControlText("frmSettings"));
    mModel.control("TabStrip1").items = {GetText(205), GetText(206), GetText(207)};
    for (const DialogControl& c : std::vector<DialogControl>(mModel.controls())) {
        if (c.kind == ControlKind::Frame || c.kind == ControlKind::TabStrip ||
            c.kind == ControlKind::TextBox || c.name.find('(') != std::string::npos || c.name == "cmdOK")
            continue;
        const std::string text = GetFormControlText(c.name);
        if (!text.empty()) mModel.control(c.name).caption = text;
    }
    mModel.control("cmdCancel").caption = GetText(3);
    mModel.control("cmdApply").caption = GetText(4);
}

void frmSettings::LoadSettingsIntoDialog() {
    for (int i = 0; i < ColorCount; ++i) {
        mColors[static_cast<std::size_t>(i)] = asColor(mAux.GetSetting(ColorRows[i].setting));
        mModel.control(indexed("lblColor", i)).backColor = mColors[static_cast<std::size_t>(i)];
    }
    for (const Switch& s : Switches) {
        const Variant v = mAux.GetSetting(s.setting);
        mModel.control(s.box).value = Variant(!v.isEmpty() && v.toString() == "True");
    }
    mModel.control(CellsBox).value = Variant(mAux.GetSetting(setting::WarningNrOfCells).toString());
    mModel.control(WidthBox).value = Variant(mAux.GetSetting(setting::FixedColumnWidth).toString());
    setEnabledStates();
}

void frmSettings::setEnabledStates() {
    const bool access = ticked(mModel, AccessProps);
    const bool autoFit = ticked(mModel, AutoFit);
    mModel.control(AutoFit).enabled = !access;
    const bool fixed = !access && !autoFit;
    mModel.control("lblFixedColumnWidth").enabled = fixed;
    mModel.control(WidthBox).enabled = fixed;
}

std::string frmSettings::grouped(long value) const {
    std::string separator = ",";
    if (ApplicationPtr app = mAux.Context().application ? mAux.Context().application() : nullptr) {
        try {
            separator = app->international(4).toString();
        } catch (const NumberedError&) {
        }
    }
    std::string digits = std::to_string(value), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return out;
}

bool frmSettings::checkNumber(const std::string& box, long low, long high) {
    const std::string text = boxText(mModel, box.c_str());
    std::string problem;
    if (text.empty()) {
        problem = GetText(186);
    } else {
        const auto n = boxNumber(mModel, box.c_str());
        if (!n || *n < low || *n > high)
            problem = GetText(187, Variant(grouped(low)), Variant(grouped(high)));
    }
    if (problem.empty()) return true;
    modErrors::ShowMessage(mAux.Dialogs(), problem, modErrors::FlagsInformation);
    mModel.setFocus(box);
    return false;
}

void frmSettings::changeColor(int index) {
    const ApplicationPtr app = mAux.Context().application ? mAux.Context().application() : nullptr;
    const WorkbookPtr addin = mAux.Context().addinWorkbook ? mAux.Context().addinWorkbook() : nullptr;
    // The colour-edit dialog works on a palette of an open workbook; the add-in's own does not count.
    WorkbookPtr book = app ? app->activeWorkbook() : nullptr;
    if (book && addin && book.get() == addin.get()) book.reset();
    for (long i = 1; app && !book && i <= app->workbookCount(); ++i)
        if (WorkbookPtr b = app->workbook(i); !addin || b.get() != addin.get()) book = b;
    if (!book) {
        modErrors::ShowMessage(mAux.Dialogs(), GetText(185), modErrors::FlagsInformation);
        return;
    }
    const auto i = static_cast<std::size_t>(index);
    if (!app->dialogEditColor(EditPaletteIndex, mColors[i])) return;
    // The dialog wrote the chosen colour into the active workbook's palette.
    const WorkbookPtr active = app->activeWorkbook();
    mColors[i] = (active ? active : book)->paletteColor(EditPaletteIndex);
    mModel.control(indexed("lblColor", index)).backColor = mColors[i];
}

void frmSettings::SaveAllSettings(bool restoreDefaults) {
    if (restoreDefaults) {
        for (const SettingDefinition& d : clsSettings::Catalogue()) {
            mAux.SaveSetting(static_cast<int>(d.type), d.name, d.defaultValue);
            if (std::string(d.name) == setting::FixedColumnWidth) break;
        }
        return;
    }
    // Both numbers are known good before anything is written.
    const auto cells = boxNumber(mModel, CellsBox), width = boxNumber(mModel, WidthBox);
    if (!cells || !width) throw NumberedError(InvalidPropertyValue, "frmSettings", "Invalid property value");
    for (int i = 0; i < ColorCount; ++i)
        mAux.SaveSetting(RegDword, ColorRows[i].setting,
                         Variant(static_cast<std::int32_t>(mColors[static_cast<std::size_t>(i)])));
    auto flag = [&](const char* setting, const char* box) {
        mAux.SaveSetting(RegSz, setting, Variant(ticked(mModel, box) ? "True" : "False"));
    };
    for (int s = 0; s < 5; ++s)
        flag(Switches[s].setting, Switches[s].box);
    mAux.SaveSetting(RegDword, setting::WarningNrOfCells, Variant(static_cast<std::int32_t>(*cells)));
    flag(setting::AdjustWidthsAutomatically, AutoFit);
    flag(setting::ApplyColumnPropertiesAccess, AccessProps);
    mAux.SaveSetting(RegDword, setting::FixedColumnWidth, Variant(static_cast<std::int32_t>(*width)));
}

void frmSettings::ApplySettings(bool closeAfterwards) {
    try {
        if (mColors[4] == mColors[2]) throw NumberedError(err::PreparedMessage, "frmSettings", GetText(188));
        if (mColors[6] == mColors[2]) throw NumberedError(err::PreparedMessage, "frmSettings", GetText(189));
        // A box whose value never left it was not checked yet; nothing is written while one is bad.
        if (!checkNumber(CellsBox, CellsWarningMin, CellsWarningMax)) return;
        if (!checkNumber(WidthBox, FixedWidthMin, FixedWidthMax)) return;
        SaveAllSettings(false);
        if (mReformatForm) mReformatForm();
        if (closeAfterwards)
            mModel.close(dialog::Accepted);
        else
            LoadSettingsIntoDialog();
    } catch (const NumberedError& e) {
        if (e.number() == err::PreparedMessage)
            modErrors::ShowMessage(mAux.Dialogs(), e.description(), modErrors::FlagsInformation);
        else if (e.number() != InvalidPropertyValue)
            modErrors::ReportUnexpected(mAux.Dialogs(), e);
    }
}

void frmSettings::applyDefaults() {
    try {
        if (modErrors::ShowMessage(mAux.Dialogs(), GetText(15), modErrors::FlagsQuestion) == xl::AnswerNo)
            return;
        SaveAllSettings(true);
        LoadSettingsIntoDialog();
        if (mReformatForm) mReformatForm();
        modErrors::ShowMessage(mAux.Dialogs(), GetText(212), modErrors::FlagsInformation);
    } catch (const NumberedError& e) {
        if (e.number() == err::PreparedMessage)
            modErrors::ShowMessage(mAux.Dialogs(), e.description(), modErrors::FlagsInformation);
        else if (e.number() != InvalidPropertyValue)
            modErrors::ReportUnexpected(mAux.Dialogs(), e);
    }
}

void frmSettings::Show() {
    setCaptions();
    LoadSettingsIntoDialog();
    if (IDialogToolkit* toolkit = mAux.Context().toolkit) toolkit->showModal(mModel);
}

} // namespace qv
