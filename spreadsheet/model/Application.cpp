// The application object. Listeners are called on a copy of the list so a listener may remove
// itself; every event is skipped while enableEvents is off.
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/WorkbookLock.h"

#include "platform/NumberedError.h"
#include "platform/TextUtil.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/commandbars/CommandBarSet.h"
#include "spreadsheet/formats/InputParser.h"
#include "spreadsheet/io/XlsxReader.h"
#include "spreadsheet/model/AddIns.h"
#include "spreadsheet/model/Range.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"

#include <algorithm>
#include <filesystem>

namespace qv::sheet {

namespace {
constexpr const char* Source = "Application";
[[noreturn]] void fail(const std::string& text) {
    throw NumberedError(err::ApplicationDefined, Source, text);
}
// "Book1.xlsm!ThisWorkbook.Refresh" and "'Book 1.xlsm'!ThisWorkbook.Refresh" name the same macro.
std::string macroKey(const std::string& name) {
    auto bang = name.rfind('!');
    return TextUtil::lowerAscii(bang == std::string::npos ? name : name.substr(bang + 1));
}
} // namespace

std::shared_ptr<Application> Application::create(ApplicationOptions options) {
    return std::make_shared<Application>(std::move(options));
}

Application::Application(ApplicationOptions options)
    : mOptions(std::move(options)), mCountryCode(mOptions.locale == Locale::Dutch ? xl::CountryDutch : 1),
      mCommandBars(std::make_shared<CommandBarSet>()) {}

Application::~Application() {
    for (auto& b : mBooks)
        b->closeWithoutEvents();
    // The add-ins still loaded are let go while the rest of the application stands.
    if (mAddIns) mAddIns->releaseAll();
}

AddInsPtr Application::addIns() {
    addInList();
    return mAddIns;
}

AddIns& Application::addInList() {
    if (!mAddIns)
        mAddIns = std::make_shared<AddIns>(
            *this, mOptions.registry, "Software\\" + mOptions.name + "\\" + mOptions.version + "\\Add-ins");
    return *mAddIns;
}

Variant Application::international(int index) const {
    if (index == xl::CountryCodeIndex) return Variant(mCountryCode);
    if (index == 3) return Variant(mOptions.locale == Locale::Dutch ? "," : "."); // decimal separator
    if (index == 4) return Variant(mOptions.locale == Locale::Dutch ? "." : ","); // thousands separator
    if (index == 5) return Variant(mOptions.locale == Locale::Dutch ? ";" : ","); // list separator
    throw ErrorCatalogue::make(err::InvalidProcedureCall, Source);
}

WorkbookPtr Application::workbook(long index) const {
    if (index < 1 || index > workbookCount()) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    return mBooks[index - 1];
}

WorkbookPtr Application::findWorkbook(const std::string& name) const {
    for (const auto& b : mBooks)
        if (TextUtil::equalsIgnoreCase(b->name(), name)) return b;
    return nullptr;
}

WorkbookPtr Application::addWorkbook() {
    auto book = std::make_shared<Workbook>(shared_from_this(), nextBookName());
    book->createSheets(mOptions.sheetsInNewWorkbook);
    mBooks.push_back(book);
    raise([&](IApplicationEvents& l) { l.newWorkbook(book); });
    setActiveWorkbook(book, true);
    return book;
}

bool Application::workbookFileInUse(const std::string& path) const {
    return WorkbookLock::heldElsewhere(path);
}

WorkbookPtr Application::openWorkbook(const std::string& path) {
    std::error_code ec;
    auto full = std::filesystem::absolute(path, ec).string();
    for (const auto& b : mBooks)
        if (b->fullName() == full) {
            setActiveWorkbook(b, true);
            return b;
        }
    if (!std::filesystem::exists(full, ec))
        fail("'" + path +
             "' could not be found. Check the spelling of the file name, and verify that the file location "
             "is correct.");
    const std::string ext = TextUtil::lowerAscii(std::filesystem::path(full).extension().string());
    if (ext != ".xlsx" && ext != ".xlsm" && ext != ".xlam")
        fail("'" + path + "' cannot be opened: only workbook files (.xlsx, .xlsm, .xlam) can be opened.");
    // Two open workbooks may not share a name: references between books name the book only.
    std::string name = std::filesystem::path(full).filename().string();
    for (const auto& b : mBooks)
        if (TextUtil::equalsIgnoreCase(b->name(), name))
            fail("A document with the name '" + name +
                 "' is already open. You cannot open two documents with the same name.");
    // The reader builds the workbook apart; only a completely read workbook joins the list.
    std::shared_ptr<Workbook> book = XlsxReader().read(shared_from_this(), full);
    mBooks.push_back(book);
    book->claimOwnerLock();
    raise([&](IApplicationEvents& l) { l.workbookOpen(book); });
    setActiveWorkbook(book, true);
    return book;
}

WorkbookPtr Application::activeWorkbook() const {
    return mActive.lock();
}

WorksheetPtr Application::activeSheet() const {
    auto b = mActive.lock();
    return b ? b->activeSheet() : nullptr;
}

RangePtr Application::selection() const {
    auto sheet = std::dynamic_pointer_cast<Worksheet>(activeSheet());
    return sheet ? sheet->makeRange(sheet->selectionAreas()) : nullptr;
}

RangePtr Application::activeCell() const {
    auto sheet = std::dynamic_pointer_cast<Worksheet>(activeSheet());
    if (!sheet) return nullptr;
    auto [r, c] = sheet->activeCellPosition();
    return sheet->cells(r, c);
}

RangePtr Application::intersect(const RangePtr& a, const RangePtr& b) const {
    auto ra = std::dynamic_pointer_cast<Range>(a);
    auto rb = std::dynamic_pointer_cast<Range>(b);
    if (!ra || !rb) throw NumberedError(err::ObjectNotSet, Source, "Object required");
    if (ra->sheet() != rb->sheet()) fail("Method 'Intersect' of object '_Application' failed");
    std::vector<Rect> out;
    for (const auto& x : ra->rects())
        for (const auto& y : rb->rects())
            if (auto cut = sheet::intersect(x, y)) out.push_back(*cut);
    if (out.empty()) return nullptr;
    return ra->sheet()->makeRange(std::move(out));
}

void Application::setCalculation(int mode) {
    if (mode != xl::CalculationManual && mode != xl::CalculationAutomatic && mode != 2)
        fail("Unable to set the Calculation property of the Application class");
    mCalculation = mode;
}

void Application::doEvents() {
    runPendingTimers();
}

void Application::setMoveAfterReturnDirection(int direction) {
    if (direction != xl::DirectionDown && direction != xl::DirectionUp && direction != xl::DirectionLeft &&
        direction != xl::DirectionRight)
        fail("Unable to set the MoveAfterReturnDirection property of the Application class");
    mMoveDirection = direction;
}

bool Application::ribbonAvailable() const {
    return std::atof(mOptions.version.c_str()) >= 12.0;
}

void Application::onKey(const std::string& key, const std::string& procedure) {
    if (key.empty()) fail("Method 'OnKey' of object '_Application' failed");
    mKeys[TextUtil::upperAscii(key)] = procedure;
}

void Application::resetKey(const std::string& key) {
    mKeys.erase(TextUtil::upperAscii(key));
}

std::string Application::keyBinding(const std::string& key) const {
    auto it = mKeys.find(TextUtil::upperAscii(key));
    return it == mKeys.end() ? std::string() : it->second;
}

bool Application::pressKey(const std::string& key) {
    auto it = mKeys.find(TextUtil::upperAscii(key));
    if (it == mKeys.end()) return false;
    if (!it->second.empty()) run(it->second);
    return true;
}

void Application::registerMacro(const WorkbookPtr& owner, const std::string& name, Macro macro) {
    if (name.empty() || !macro) fail("A macro needs a name and a body");
    mMacros[macroKey(name)] = MacroEntry{owner, name, std::move(macro)};
}

bool Application::hasMacro(const std::string& name) const {
    auto it = mMacros.find(macroKey(name));
    return it != mMacros.end() && !it->second.owner.expired();
}

Variant Application::run(const std::string& macro, const std::vector<Variant>& args) {
    auto it = mMacros.find(macroKey(macro));
    if (it == mMacros.end() || it->second.owner.expired())
        fail("Cannot run the macro '" + macro +
             "'. The macro may not be available in this workbook or all macros may be disabled.");
    Macro body = it->second.macro; // a macro may re-register or close its workbook while it runs
    return body(args);
}

int Application::runPendingTimers() {
    int ran = 0;
    while (!mTimers.empty()) {
        std::string next = mTimers.front();
        mTimers.pop_front();
        ++ran;
        run(next);
    }
    return ran;
}

Variant Application::inputBox(const std::string& prompt, const std::string& title,
                              const Variant& defaultValue, int type) {
    if (!mOptions.dialogs) return Variant(false);
    std::string shown =
        defaultValue.isEmpty() || defaultValue.isMissing() ? std::string() : defaultValue.toString();
    while (true) {
        auto answer = mOptions.dialogs->inputBox(prompt, title.empty() ? std::string("Input") : title, shown);
        if (!answer) return Variant(false);
        Variant parsed = InputParser::parse(*answer, mOptions.locale);
        if ((type & 1) && parsed.isNumber()) return Variant(parsed.toDouble());
        if ((type & 4) && parsed.isBool()) return parsed;
        if ((type & 2) || type == 0) return Variant(*answer);
        mOptions.dialogs->messageBox((type & 1) ? "Number is not valid" : "Invalid entry",
                                     xl::MsgOk | xl::MsgExclamation, mOptions.name);
        shown = *answer;
    }
}

Variant Application::getSaveAsFilename(const std::string& initialName, const std::string& fileFilter,
                                       const std::string& title) {
    if (!mOptions.dialogs) return Variant(false);
    // "Description,*.ext,Description,*.ext"
    std::vector<FileFilter> filters;
    std::vector<std::string> parts;
    std::string cur;
    for (char ch : fileFilter) {
        if (ch == ',') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        filters.push_back({parts[i], parts[i + 1]});
    auto chosen =
        mOptions.dialogs->saveAsFile(title.empty() ? std::string("Save As") : title, initialName, filters);
    if (!chosen) return Variant(false);
    return Variant(*chosen);
}

bool Application::dialogEditColor(int paletteIndex, long initialOleColor) {
    auto book = std::dynamic_pointer_cast<Workbook>(activeWorkbook());
    if (!book) fail("EditColor needs an active workbook");
    if (paletteIndex < 1 || paletteIndex > 56) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    if (!mOptions.dialogs) return false;
    auto chosen = mOptions.dialogs->pickColor(initialOleColor);
    if (!chosen) return false;
    book->setPaletteColor(paletteIndex, *chosen);
    return true;
}

std::shared_ptr<ICommandBars> Application::commandBars() {
    return mCommandBars;
}

void Application::addEventListener(IApplicationEvents* listener) {
    if (listener && std::find(mListeners.begin(), mListeners.end(), listener) == mListeners.end())
        mListeners.push_back(listener);
}

void Application::removeEventListener(IApplicationEvents* listener) {
    std::erase(mListeners, listener);
}

template <class F> void Application::raise(F&& f) {
    if (!mEnableEvents) return;
    auto listeners = mListeners;
    for (auto* l : listeners)
        if (std::find(mListeners.begin(), mListeners.end(), l) != mListeners.end()) f(*l);
}

void Application::setActiveWorkbook(const std::shared_ptr<Workbook>& book, bool raiseEvents) {
    auto current = mActive.lock();
    if (current == book) return;
    if (current && raiseEvents) raise([&](IApplicationEvents& l) { l.workbookDeactivate(current); });
    mActive = book;
    if (book && raiseEvents) raise([&](IApplicationEvents& l) { l.workbookActivate(book); });
}

void Application::workbookClosed(Workbook* book) {
    auto it = std::find_if(mBooks.begin(), mBooks.end(), [book](const auto& b) { return b.get() == book; });
    if (it == mBooks.end()) return;
    auto keep = *it; // alive until the activation below is done
    mBooks.erase(it);
    for (auto m = mMacros.begin(); m != mMacros.end();) {
        auto owner = m->second.owner.lock();
        m = (!owner || owner.get() == book) ? mMacros.erase(m) : std::next(m);
    }
    if (mActive.lock() == keep || mActive.expired()) {
        mActive.reset();
        if (!mBooks.empty()) setActiveWorkbook(mBooks.back(), true);
    }
}

void Application::raiseSheetChange(const WorksheetPtr& sheet, const RangePtr& target) {
    raise([&](IApplicationEvents& l) { l.sheetChange(sheet, target); });
}

void Application::raiseSheetActivate(const WorksheetPtr& sheet) {
    raise([&](IApplicationEvents& l) { l.sheetActivate(sheet); });
}

void Application::raiseSelectionChange(const WorksheetPtr& sheet, const RangePtr& target) {
    raise([&](IApplicationEvents& l) { l.sheetSelectionChange(sheet, target); });
}

bool Application::raiseBeforeSave(const WorkbookPtr& book, bool saveAsUI) {
    bool cancel = false;
    raise([&](IApplicationEvents& l) { l.workbookBeforeSave(book, saveAsUI, cancel); });
    return cancel;
}

bool Application::raiseBeforeClose(const WorkbookPtr& book) {
    bool cancel = false;
    raise([&](IApplicationEvents& l) { l.workbookBeforeClose(book, cancel); });
    return cancel;
}

int Application::ask(const std::string& text, int flags, const std::string& title) {
    if (!mOptions.dialogs) return xl::AnswerCancel;
    return mOptions.dialogs->messageBox(text, flags, title);
}

} // namespace qv::sheet
