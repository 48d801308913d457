#include "datasource/clsCommand.h"

#include "common/AppConstants.h"
#include "common/ICB.h"
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "datasource/IDS.h"
#include "platform/IDialogs.h"
#include "platform/Utf8.h"
#include "platform/engine/AdoConstants.h"
#include "platform/host/HostConstants.h"

#include <algorithm>
#include <cctype>

namespace qv {

namespace {

using modGlobalization::GetText;

// Message ids of the command runner.
constexpr int OneMoment = 5;
constexpr int Ready = 6;
constexpr int AskStatement = 33;
constexpr int ExecutedSaved = 34;
constexpr int ExecutedFree = 35;
constexpr int OneRecord = 36;
constexpr int Records = 37;
constexpr int Reopen = 41;
constexpr int ParameterInvalid = 42;
constexpr int ConnectionMissing = 43;
constexpr int AskDataDefinition = 44;
constexpr int FreeSheetName = 45;
constexpr int AskDropTable = 46;
constexpr int AskStoredProcedure = 47;
constexpr int AskActionQuery = 48;
constexpr int AskEraseAll = 51;

constexpr int AskQuestion = xl::MsgYesNo + xl::MsgQuestion + xl::MsgSetForeground;
constexpr int AskExclamation = xl::MsgYesNo + xl::MsgExclamation + xl::MsgSetForeground;

std::string lower(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool contains(const std::string& lowered, const char* what) {
    return lowered.find(what) != std::string::npos;
}

std::string trimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// At most `units` UTF-16 units of the text, never half a character.
std::string cutUnits(const std::string& s, long units) {
    return std::string(Utf8::prefixUnits(s, units > 0 ? static_cast<std::size_t>(units) : 0));
}

// The host refuses these in a sheet name, and an apostrophe at either end.
std::string hostSafeSheetName(std::string name) {
    for (auto& c : name)
        if (std::string_view(":\\/?*[]").find(c) != std::string_view::npos) c = '_';
    if (!name.empty() && name.front() == '\'') name.front() = '_';
    if (!name.empty() && name.back() == '\'') name.back() = '_';
    return name;
}

// A saved query's declarations ("PARAMETERS [a] Long, [b] Text;") say nothing about what the
// statement does; the kind is read from what follows them.
std::string statementBody(const std::string& sql) {
    if (lower(sql.substr(0, 11)) != "parameters ") return sql;
    char quote = 0;
    for (std::size_t i = 11; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '[') {
            quote = ']';
        } else if (c == '"' || c == '\'' || c == '`') {
            quote = c;
        } else if (c == ';') {
            const auto start = sql.find_first_not_of(" \t\r\n", i + 1);
            return start == std::string::npos ? std::string() : sql.substr(start);
        }
    }
    return sql;
}

} // namespace

clsCommand::clsCommand(CommandContext context) : mCtx(std::move(context)) {}

ApplicationPtr clsCommand::app() const {
    ApplicationPtr a = mCtx.Application ? mCtx.Application() : nullptr;
    if (!a) throw NumberedError(err::ObjectNotSet, "clsCommand", "Object variable not set: application");
    return a;
}

WorkbookPtr clsCommand::interfaceWorkbook() const {
    if (WorksheetPtr form = mCtx.FormSheet ? mCtx.FormSheet() : nullptr) return form->parent();
    // No form is shown yet: the results go to the workbook in front of the user.
    WorkbookPtr wb = app()->activeWorkbook();
    if (!wb) throw NumberedError(err::ObjectNotSet, "clsCommand", "Object variable not set: workbook");
    return wb;
}

int clsCommand::ask(int messageId, int flags) const {
    if (!mCtx.Dialogs)
        throw NumberedError(err::ObjectNotSet, "clsCommand", "Object variable not set: dialogs");
    return modErrors::ShowMessage(*mCtx.Dialogs, GetText(messageId), flags);
}

void clsCommand::RunCommand(bool bView, bool bSaved, std::int16_t Index) {
    if (bSaved) {
        std::string sql;
        ExecuteCommand(bView, bSaved, sql, Index);
        return;
    }
    const Variant answer = app()->inputBox(GetText(AskStatement), std::string(APP_NAME), Variant(), 2);
    if (answer.isBool()) return; // Cancel
    std::string sql = trimBlanks(answer.toString());
    if (sql.empty()) return;
    ExecuteCommand(bView, bSaved, sql, 0);
}

std::string clsCommand::savedQueryName(bool bView, std::int16_t Index) const {
    if (Index <= 0) {
        CommandBarControlPtr control = app()->commandBars()->actionControl();
        if (!control)
            throw NumberedError(err::ObjectNotSet, "clsCommand", "Object variable not set: control");
        return control->parameter();
    }
    std::shared_ptr<IDS> ds = mCtx.DataSource();
    NameCollectionPtr names = bView ? ds->ViewNames() : ds->QueryNames();
    if (!names) throw NumberedError(err::ObjectNotSet, "clsCommand", "Object variable not set");
    return names->Item(static_cast<std::size_t>(Index));
}

void clsCommand::ExecuteCommand(bool bView, bool bSaved, std::string& sql, std::int16_t Index) {
    std::string name;
    AdoCommandPtr command;
    AdoRecordsetPtr rs;
    bool confirmed = false;
    try {
        modErrors::Numbered("clsCommand", [&] {
            std::shared_ptr<IDS> ds = mCtx.DataSource ? mCtx.DataSource() : nullptr;
            if (!ds)
                throw NumberedError(err::AdoConnectionNotUsable, "clsCommand", GetText(ConnectionMissing));
            if (bSaved) {
                name = savedQueryName(bView, Index);
                QueryCollectionPtr queries = ds->Queries();
                if (!queries) throw NumberedError(err::ObjectNotSet, "clsCommand", "Object variable not set");
                sql = queries->Item(name).SQL();
            }
            if (!ConfirmStatement(sql)) return;
            confirmed = true;
            ApplicationPtr a = app();
            a->setStatusBar(GetText(OneMoment));
            ds->ConnectADO();
            command = ds->InitializeCommand();
            if (!bSaved || bView) {
                command->setCommandType(ado::CmdText);
                command->setCommandText(sql);
            } else {
                ds->DefineCommand(*command, name);
            }
            long long affected = -1;
            rs = command->execute(&affected, -1);
            const bool open = rs && rs->state() == ado::StateOpen;
            if (open) {
                if (mCtx.Aux && mCtx.Aux->CancelLargeLoad(*rs)) return;
                ShowResultSheet(rs, name, bView);
            }
            // A statement that answered with rows has its sheet; the count is for the others.
            if (ReturnsRows(statementBody(sql)) || open) return;
            std::string text =
                bSaved ? GetText(ExecutedSaved,
                                 Variant(std::string(mCtx.DataSourceKind && mCtx.DataSourceKind() == 1
                                                         ? "stored procedure"
                                                         : "query")))
                       : GetText(ExecutedFree);
            if (affected != -1)
                text +=
                    "\r" + (affected == 1 ? GetText(OneRecord)
                                          : GetText(Records, Variant(static_cast<std::int64_t>(affected))));
            text += "\r" + GetText(Reopen);
            if (mCtx.Aux) {
                mCtx.Aux->ShowUserMessage(setting::ShowMessageQueryExecuted, text);
                for (const auto& bar : {mCtx.MenuBar, mCtx.ToolBar})
                    if (ICB* b = bar ? bar() : nullptr) mCtx.Aux->SetHotKeys(*b, false);
            }
        });
    } catch (const NumberedError& e) {
        confirmed = true;
        report(e, bSaved, name, sql);
    }
    if (confirmed) cleanUp(command, rs);
}

void clsCommand::report(const NumberedError& e, bool bSaved, const std::string& name,
                        const std::string& sql) {
    if (!mCtx.Dialogs) return;
    try {
        switch (e.number()) {
        case err::Cancelled:
            return;
        case err::PreparedMessage:
            modErrors::ShowMessage(*mCtx.Dialogs, e.description(), modErrors::FlagsInformation);
            return;
        case err::AdoParameterImproperlyDefined:
            modErrors::ShowMessage(*mCtx.Dialogs, GetText(ParameterInvalid), modErrors::FlagsExclamation);
            return;
        case err::AdoConnectionNotUsable:
            modErrors::ShowMessage(*mCtx.Dialogs, GetText(ConnectionMissing), modErrors::FlagsExclamation);
            return;
        default:
            break;
        }
        std::string text = e.description();
        try {
            if (mCtx.Aux) text = mCtx.Aux->FormatDbError(e.description());
        } catch (const NumberedError&) {
            // Without the edition's name the driver's own text still says what went wrong.
        }
        text += "\r\r";
        if (bSaved)
            text += std::string(mCtx.DataSourceKind && mCtx.DataSourceKind() == 1 ? "Stored procedure"
                                                                                  : "Query") +
                    ": " + name + "\r";
        else
            text += "SQL: " + sql + "\r";
        modErrors::ShowMessage(*mCtx.Dialogs, text, modErrors::FlagsInformation);
    } catch (...) {
        // The run is over either way; a failure while telling about it is dropped.
    }
}

void clsCommand::cleanUp(AdoCommandPtr& command, AdoRecordsetPtr& rs) {
    // Each step on its own: one that fails must not leave the connection open or the screen off.
    auto step = [](auto&& f) {
        try {
            f();
        } catch (...) {
        }
    };
    step([&] { app()->setScreenUpdating(true); });
    step([&] { app()->setStatusBar(GetText(Ready)); });
    step([&] {
        if (WorksheetPtr form = mCtx.FormSheet ? mCtx.FormSheet() : nullptr)
            form->parent()->protectStructure(clsAux::SheetPassword());
    });
    std::shared_ptr<IDS> ds = mCtx.DataSource ? mCtx.DataSource() : nullptr;
    step([&] {
        if (ds)
            ds->CloseRecordSet(rs);
        else
            rs.reset();
    });
    step([&] {
        if (ds) ds->DisconnectADO();
    });
    command.reset();
}

bool clsCommand::ReturnsRows(const std::string& sql) {
    const std::string l = lower(sql);
    if (contains(l, " into ")) return false;
    if (l.starts_with("transform ")) return true;
    if (contains(l, "union ")) return true;
    return l.starts_with("select ");
}

bool clsCommand::ConfirmStatement(const std::string& sql) {
    const std::string body = statementBody(sql);
    const long icon = clsAux::GetQueryIcon(body);
    // Rows alone are no proof: an UPDATE or DELETE whose subquery holds a UNION also "returns
    // rows" by the text, so only a statement that is a query from its first word goes unasked.
    const bool query =
        icon == clsAux::IconSelect || icon == clsAux::IconUnion || icon == clsAux::IconCrosstab;
    if (ReturnsRows(body) && query) return true;
    if (clsAux::IsDataDefinition(body)) {
        if (ask(AskDataDefinition, AskQuestion) != xl::AnswerYes) return false;
        if (clsAux::NormaliseForDdlTest(body).starts_with("droptable"))
            return ask(AskDropTable, AskExclamation) == xl::AnswerYes;
        return true;
    }
    // A statement whose kind cannot be told from its first word (a comment, a parenthesis, a
    // WITH clause, a blank or line break in front) may change the database as well as any
    // action query, so it is asked about as one.
    const int question = body.starts_with("UPDATE DUMMY SET...") ? AskStoredProcedure : AskActionQuery;
    if (ask(question, AskQuestion) != xl::AnswerYes) return false;
    const std::string l = lower(body);
    if (contains(l, "delete ") && !contains(l, "where "))
        return ask(AskEraseAll, AskExclamation) == xl::AnswerYes;
    return true;
}

void clsCommand::ShowResultSheet(const AdoRecordsetPtr& rs, const std::string& queryName, bool bView) {
    ApplicationPtr a = app();
    a->setScreenUpdating(false);
    WorkbookPtr wb = interfaceWorkbook();
    if (wb->structureProtected()) wb->unprotectStructure(clsAux::SheetPassword());
    WorksheetPtr after = mCtx.FormSheet ? mCtx.FormSheet() : nullptr;
    if (!after) after = wb->worksheet(wb->worksheetCount());
    WorksheetPtr sheet = wb->addWorksheet(after);
    try {
        if (!mCtx.FillSheetFromRecordset)
            throw NumberedError(err::ObjectNotSet, "clsCommand",
                                "Object variable not set: FillSheetFromRecordset");
        mCtx.FillSheetFromRecordset(sheet, rs, 1, 1);
        const long rows = static_cast<long>(rs->recordCount());
        const long columns = std::max(1L, rs->fieldCount());
        RangePtr written = sheet->rangeOf(1, 1, 1 + rows, columns);
        if (mCtx.Aux) mCtx.Aux->ApplyFormFormat(*written);
        sheet->setName(ResultSheetName(queryName, bView));
        if (mCtx.Aux) mCtx.Aux->ApplyFreezeTopRow(*sheet);
    } catch (...) {
        // Half a result is no result: the sheet goes, and the caller reports why.
        const bool alerts = a->displayAlerts();
        try {
            a->setDisplayAlerts(false);
            wb->deleteWorksheet(sheet);
        } catch (...) {
        }
        a->setDisplayAlerts(alerts);
        throw;
    }
}

std::string clsCommand::ResultSheetName(const std::string& queryName, bool bView) {
    std::string base;
    if (bView)
        base = cutUnits(trimBlanks("View " + queryName), MaxSheetName);
    else if (!queryName.empty())
        base = cutUnits(
            trimBlanks(std::string(mCtx.DataSourceKind && mCtx.DataSourceKind() == 1 ? "SP" : "Query") + " " +
                       queryName),
            MaxSheetName);
    else
        base = GetText(FreeSheetName);
    base = hostSafeSheetName(base);
    if (!SheetExists(base)) return base;
    for (long n = 1;; ++n) {
        const std::string suffix = " (" + std::to_string(n) + ")";
        // Cut for every suffix, not only for the shortest: " (10)" needs one unit more than " (9)".
        const std::string candidate =
            hostSafeSheetName(cutUnits(base, MaxSheetName - static_cast<long>(suffix.size()))) + suffix;
        if (!SheetExists(candidate)) return candidate;
    }
}

bool clsCommand::SheetExists(const std::string& name) {
    WorkbookPtr wb = interfaceWorkbook();
    const std::string wanted = lower(name);
    for (long i = 1; i <= wb->worksheetCount(); ++i)
        if (lower(wb->worksheet(i)->name()) == wanted) return true;
    return false;
}

} // namespace qv
