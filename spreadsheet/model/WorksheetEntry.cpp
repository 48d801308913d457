// What a person meets when entering data: protection refuses locked cells of a protected
// sheet, the entry is read in the host's language, data validation is applied (stop refuses,
// warning and information ask), and only then is the value stored and the change announced.
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/formats/InputParser.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"
#include "spreadsheet/validation/ValidationCheck.h"

namespace qv::sheet {

namespace {

const char* const DefaultRefusal =
    "The value you entered is not valid.\rA user has restricted values that can be entered into this cell.";

// Asks the person about an entry that breaks a rule; answers whether the entry is kept.
bool confirmEntry(const ValidationRule& rule, Application* app) {
    const std::string title = rule.errorTitle.empty() ? (app ? app->name() : std::string()) : rule.errorTitle;
    const std::string message = rule.errorMessage.empty() ? std::string(DefaultRefusal) : rule.errorMessage;
    if (rule.alert == static_cast<int>(xl::ValidationAlert::Stop))
        throw NumberedError(err::ApplicationDefined, title, message);
    if (!app) return false;
    if (rule.alert == static_cast<int>(xl::ValidationAlert::Warning))
        return app->ask(message + "\r\rContinue?", xl::MsgYesNoCancel | xl::MsgExclamation, title) ==
               xl::AnswerYes;
    return app->ask(message, xl::MsgOkCancel | xl::MsgInformation, title) == xl::AnswerOk;
}

} // namespace

bool Worksheet::isTextFormatted(long row, long column) const {
    return style(mCells.effectiveStyle(row, column)).numberFormat == "@";
}

Variant Worksheet::typedEntry(long row, long column, const std::string& typed) const {
    // The apostrophe that forces text elsewhere is no part of the text here either.
    if (isTextFormatted(row, column)) return Variant(typed.starts_with('\'') ? typed.substr(1) : typed);
    return InputParser::parse(typed, locale());
}

bool Worksheet::typeInto(long row, long column, const std::string& typed) {
    Workbook& b = book();
    if (row < 1 || row > MaxRow || column < 1 || column > MaxColumn)
        throw ErrorCatalogue::make(err::ApplicationDefined, "Worksheet");
    const Rect cell{row, column, row, column};
    checkCellsEditable({cell});
    auto app = b.app();
    const bool isFormula = !isTextFormatted(row, column) && !typed.empty() && typed[0] == '=';
    Variant entry = isFormula ? Variant() : typedEntry(row, column, typed);
    if (!isFormula && !typed.empty()) {
        const ValidationRule* rule = mValidations.find(row, column);
        if (rule && rule->showError && !ValidationCheck::accepts(*rule, entry, shared_from_this())) {
            ValidationRule copy = *rule; // the question may run code that changes the rules
            if (!confirmEntry(copy, app.get())) return false;
        }
    }
    if (isFormula)
        mCells.setFormula(row, column, typed);
    else
        mCells.setValue(row, column, entry);
    changed();
    raiseChange({cell});
    if (app && app->moveAfterReturn() && isActive() && mActiveCell == std::make_pair(row, column)) {
        long r = row, c = column;
        switch (app->moveAfterReturnDirection()) {
        case xl::DirectionDown:
            r = std::min(MaxRow, r + 1);
            break;
        case xl::DirectionUp:
            r = std::max(1L, r - 1);
            break;
        case xl::DirectionRight:
            c = std::min(MaxColumn, c + 1);
            break;
        case xl::DirectionLeft:
            c = std::max(1L, c - 1);
            break;
        default:
            break;
        }
        if (mSelection.size() == 1 && mSelection[0].cells() == 1) mSelection = {Rect{r, c, r, c}};
        mActiveCell = {r, c};
    }
    return true;
}

bool Worksheet::fillSelection(const std::string& typed) {
    Workbook& b = book();
    const std::vector<Rect> areas = mSelection;
    checkCellsEditable(areas);
    auto app = b.app();
    // The entry is read and checked as the active cell would take it, as the host does for
    // Ctrl+Enter.
    Variant entry = typedEntry(mActiveCell.first, mActiveCell.second, typed);
    if (!typed.empty()) {
        const ValidationRule* rule = mValidations.find(mActiveCell.first, mActiveCell.second);
        if (rule && rule->showError && !ValidationCheck::accepts(*rule, entry, shared_from_this())) {
            ValidationRule copy = *rule;
            if (!confirmEntry(copy, app.get())) return false;
        }
    }
    for (const auto& a : areas)
        mCells.fill(a, entry);
    changed();
    raiseChange(areas);
    return true;
}

void Worksheet::pasteValues(const std::vector<std::vector<std::string>>& typed) {
    book();
    if (typed.empty()) return;
    std::size_t width = 0;
    for (const auto& row : typed)
        width = std::max(width, row.size());
    if (width == 0) return;
    // A block that does not fit below and right of the active cell is refused whole: cutting it
    // short would drop the person's data without a word.
    if (static_cast<long long>(mActiveCell.first) + static_cast<long long>(typed.size()) - 1 > MaxRow ||
        static_cast<long long>(mActiveCell.second) + static_cast<long long>(width) - 1 > MaxColumn)
        throw NumberedError(
            err::ApplicationDefined, "Worksheet",
            "The information cannot be pasted because it does not fit on the sheet at the active cell.");
    const Rect target{mActiveCell.first, mActiveCell.second,
                      mActiveCell.first + static_cast<long>(typed.size()) - 1,
                      mActiveCell.second + static_cast<long>(width) - 1};
    checkCellsEditable({target});
    for (long r = target.r1; r <= target.r2; ++r) {
        const auto& line = typed[r - target.r1];
        for (long c = target.c1; c <= target.c2; ++c) {
            std::size_t i = static_cast<std::size_t>(c - target.c1);
            mCells.setValue(r, c, i < line.size() ? typedEntry(r, c, line[i]) : Variant());
        }
    }
    changed();
    raiseChange({target});
}

} // namespace qv::sheet
