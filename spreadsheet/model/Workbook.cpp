// Workbook operations. Saving goes through the export view and the file writers; the
// before-save and before-close events run first and may cancel, and a failed write changes
// nothing (name, path and Saved stay as they were).
#include "spreadsheet/model/Workbook.h"

#include "platform/NumberedError.h"
#include "platform/TextUtil.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/io/WorkbookExportView.h"
#include "spreadsheet/io/WorkbookFileWriter.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/PasswordHash.h"
#include "spreadsheet/model/Range.h"
#include "spreadsheet/model/Worksheet.h"

#include <algorithm>
#include <filesystem>

namespace qv::sheet {

namespace {
constexpr const char* Source = "Workbook";
[[noreturn]] void fail(const std::string& text) {
    throw NumberedError(err::ApplicationDefined, Source, text);
}

constexpr long rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

// The host's default palette, entries 1..56.
constexpr std::array<long, 56> DefaultPalette{
    rgb(0, 0, 0),       rgb(255, 255, 255), rgb(255, 0, 0),     rgb(0, 255, 0),     rgb(0, 0, 255),
    rgb(255, 255, 0),   rgb(255, 0, 255),   rgb(0, 255, 255),   rgb(128, 0, 0),     rgb(0, 128, 0),
    rgb(0, 0, 128),     rgb(128, 128, 0),   rgb(128, 0, 128),   rgb(0, 128, 128),   rgb(192, 192, 192),
    rgb(128, 128, 128), rgb(153, 153, 255), rgb(153, 51, 102),  rgb(255, 255, 204), rgb(204, 255, 255),
    rgb(102, 0, 102),   rgb(255, 128, 128), rgb(0, 102, 204),   rgb(204, 204, 255), rgb(0, 0, 128),
    rgb(255, 0, 255),   rgb(255, 255, 0),   rgb(0, 255, 255),   rgb(128, 0, 128),   rgb(128, 0, 0),
    rgb(0, 128, 128),   rgb(0, 0, 255),     rgb(0, 204, 255),   rgb(204, 255, 255), rgb(204, 255, 204),
    rgb(255, 255, 153), rgb(153, 204, 255), rgb(255, 153, 204), rgb(204, 153, 255), rgb(255, 204, 153),
    rgb(51, 102, 255),  rgb(51, 204, 204),  rgb(153, 204, 0),   rgb(255, 204, 0),   rgb(255, 153, 0),
    rgb(255, 102, 0),   rgb(102, 102, 153), rgb(150, 150, 150), rgb(0, 51, 102),    rgb(51, 153, 102),
    rgb(0, 51, 0),      rgb(51, 51, 0),     rgb(153, 51, 0),    rgb(153, 51, 102),  rgb(51, 51, 153),
    rgb(51, 51, 51)};

const char* const BuiltinNames[] = {"Title",
                                    "Subject",
                                    "Author",
                                    "Keywords",
                                    "Comments",
                                    "Template",
                                    "Last Author",
                                    "Revision Number",
                                    "Application Name",
                                    "Last Print Date",
                                    "Creation Date",
                                    "Last Save Time",
                                    "Total Editing Time",
                                    "Number of Pages",
                                    "Number of Words",
                                    "Number of Characters",
                                    "Security",
                                    "Category",
                                    "Format",
                                    "Manager",
                                    "Company",
                                    "Number of Bytes",
                                    "Number of Lines",
                                    "Number of Paragraphs",
                                    "Hyperlink base",
                                    "Number of Characters (with spaces)",
                                    "Content type",
                                    "Content status",
                                    "Language",
                                    "Document version"};

std::string canonicalBuiltin(const std::string& name) {
    for (const char* n : BuiltinNames)
        if (TextUtil::equalsIgnoreCase(n, name)) return n;
    throw NumberedError(err::InvalidProcedureCall, Source,
                        "Invalid procedure call or argument: no document property '" + name + "'");
}
} // namespace

Workbook::Workbook(const std::shared_ptr<Application>& app, std::string name)
    : mApp(app), mName(std::move(name)), mPalette(DefaultPalette) {}

void Workbook::createSheets(int count) {
    for (int i = 0; i < std::max(1, count); ++i)
        mSheets.push_back(std::make_shared<Worksheet>(shared_from_this(), uniqueSheetName()));
    mActive = mSheets.front();
    mSaved = true;
}

std::string Workbook::uniqueSheetName() const {
    for (int n = mSheetCounter + 1;; ++n) {
        std::string candidate = "Sheet" + std::to_string(n);
        if (!findWorksheet(candidate)) {
            const_cast<Workbook*>(this)->mSheetCounter = n;
            return candidate;
        }
    }
}

std::shared_ptr<IApplication> Workbook::application() const {
    return mApp.lock();
}

void Workbook::activate() {
    if (auto app = mApp.lock()) app->setActiveWorkbook(shared_from_this(), true);
}

Variant Workbook::builtinProperty(const std::string& name) const {
    auto it = mBuiltin.find(canonicalBuiltin(name));
    return it == mBuiltin.end() ? Variant() : it->second;
}

void Workbook::setBuiltinProperty(const std::string& name, const Variant& value) {
    mBuiltin[canonicalBuiltin(name)] = value;
    markChanged();
}

Variant Workbook::customProperty(const std::string& name) const {
    auto it = mCustom.find(TextUtil::lowerAscii(name));
    return it == mCustom.end() ? Variant() : it->second.second;
}

void Workbook::setCustomProperty(const std::string& name, const Variant& value) {
    if (name.empty() || name.size() > 255)
        throw NumberedError(err::InvalidProcedureCall, Source, "Invalid property name");
    mCustom[TextUtil::lowerAscii(name)] = {name, value};
    markChanged();
}

bool Workbook::close(bool saveChanges) {
    auto app = mApp.lock();
    auto self = shared_from_this();
    if (app && app->raiseBeforeClose(self)) return false;
    if (saveChanges && !mSaved && !save()) return false;
    closeWithoutEvents();
    if (app) app->workbookClosed(this);
    return true;
}

void Workbook::closeWithoutEvents() {
    mLock.release();
    for (auto& s : mSheets)
        s->detach();
}

bool Workbook::saveAs(const std::string& path, int fileFormat) {
    auto app = mApp.lock();
    if (app && app->raiseBeforeSave(shared_from_this(), true)) return false;
    if (path.empty()) fail("Method 'SaveAs' of object '_Workbook' failed: no file name");
    std::filesystem::path full = std::filesystem::absolute(path);
    std::error_code ec;
    if (app && app->displayAlerts() && std::filesystem::exists(full, ec) && full.string() != fullName()) {
        int answer = app->ask("A file named '" + full.string() +
                                  "' already exists in this location. Do you want to replace it?",
                              xl::MsgYesNo | xl::MsgExclamation, app->name());
        if (answer != xl::AnswerYes) return false;
    }
    // Writing over a file another running host has open would pull it from under its user.
    if (full.string() != fullName() && WorkbookLock::heldElsewhere(full.string()))
        fail("'" + full.filename().string() + "' is locked for editing by another user.");
    WorkbookExportView view(*this);
    WorkbookFileWriter::write(view, full.string(), fileFormat);
    mName = full.filename().string();
    mPath = full.parent_path().string();
    mFileFormat = fileFormat;
    mSaved = true;
    mLock.claim(fullName());
    return true;
}

bool Workbook::save() {
    auto app = mApp.lock();
    if (app && app->raiseBeforeSave(shared_from_this(), false)) return false;
    std::string target = fullName();
    if (mPath.empty()) {
        if (!app) return false;
        Variant chosen = app->getSaveAsFilename(mName, {}, {});
        if (!chosen.isString()) return false;
        target = chosen.str();
    }
    WorkbookExportView view(*this);
    std::filesystem::path full = std::filesystem::absolute(target);
    WorkbookFileWriter::write(view, full.string(), mFileFormat);
    mName = full.filename().string();
    mPath = full.parent_path().string();
    mSaved = true;
    mLock.claim(fullName());
    return true;
}

WorksheetPtr Workbook::worksheet(long index) const {
    if (index < 1 || index > worksheetCount()) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    return mSheets[index - 1];
}

WorksheetPtr Workbook::worksheet(const std::string& name) const {
    auto s = findWorksheet(name);
    if (!s) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    return s;
}

WorksheetPtr Workbook::findWorksheet(const std::string& name) const {
    return sheetModel(name);
}

std::shared_ptr<Worksheet> Workbook::sheetModel(const std::string& name) const {
    for (const auto& s : mSheets)
        if (TextUtil::equalsIgnoreCase(s->name(), name)) return s;
    return nullptr;
}

void Workbook::checkStructureUnprotected() const {
    if (mStructureProtected) fail("Workbook is protected and cannot be changed.");
}

WorksheetPtr Workbook::addWorksheet(const WorksheetPtr& after) {
    checkStructureUnprotected();
    auto sheet = std::make_shared<Worksheet>(shared_from_this(), uniqueSheetName());
    auto pos = mSheets.end();
    if (after) {
        pos = std::find(mSheets.begin(), mSheets.end(), after);
        if (pos == mSheets.end())
            fail("Method 'Add' of object 'Sheets' failed: the sheet is not in this workbook");
        ++pos;
    } else if (auto active = mActive.lock()) {
        pos = std::find(mSheets.begin(), mSheets.end(), active); // the host adds before the active sheet
    }
    mSheets.insert(pos, sheet);
    markChanged();
    mActive = sheet;
    if (auto app = mApp.lock()) app->raiseSheetActivate(sheet);
    return sheet;
}

void Workbook::deleteWorksheet(const WorksheetPtr& sheet) {
    checkStructureUnprotected();
    auto pos = std::find(mSheets.begin(), mSheets.end(), sheet);
    if (pos == mSheets.end())
        fail("Delete method of Worksheet class failed: the sheet is not in this workbook");
    long visibleOthers = 0;
    for (const auto& s : mSheets)
        if (s != sheet && s->visible() == xl::SheetVisible) ++visibleOthers;
    if (visibleOthers == 0) fail("A workbook must contain at least one visible worksheet.");
    auto app = mApp.lock();
    if (app && app->displayAlerts() && (*pos)->data().usedExtent()) {
        int answer = app->ask("Data may exist in the sheet(s) selected for deletion. To permanently delete "
                              "the data, press Delete.",
                              xl::MsgOkCancel | xl::MsgExclamation, app->name());
        if (answer != xl::AnswerOk) return;
    }
    bool wasActive = mActive.lock() == *pos;
    mNames.sheetDeleted((*pos)->name());
    (*pos)->detach();
    std::size_t index = pos - mSheets.begin();
    mSheets.erase(pos);
    markChanged();
    if (wasActive) {
        for (std::size_t i = std::min(index, mSheets.size() - 1);; --i) {
            if (mSheets[i]->visible() == xl::SheetVisible) {
                mActive = mSheets[i];
                break;
            }
            if (i == 0) break;
        }
        if (!mActive.lock())
            for (auto& s : mSheets)
                if (s->visible() == xl::SheetVisible) {
                    mActive = s;
                    break;
                }
    }
}

WorksheetPtr Workbook::activeSheet() const {
    return mActive.lock();
}

void Workbook::setActiveSheet(const std::shared_ptr<Worksheet>& sheet) {
    mActive = sheet;
}

void Workbook::protectStructure(const std::string& password) {
    if (mStructureProtected) return;
    mStructureProtected = true;
    mStructurePassword = password;
    markChanged();
}

void Workbook::unprotectStructure(const std::string& password) {
    if (!mStructureProtected) return;
    bool right = mStructureHash.empty()
                     ? password == mStructurePassword
                     : TextUtil::equalsIgnoreCase(PasswordHash::legacy(password), mStructureHash);
    if (!right) fail("The password you supplied is not correct.");
    mStructureProtected = false;
    mStructurePassword.clear();
    mStructureHash.clear();
    markChanged();
}

void Workbook::restoreStructureProtection(const std::string& passwordHash) {
    mStructureProtected = true;
    mStructurePassword.clear();
    mStructureHash = passwordHash;
}

std::shared_ptr<Worksheet> Workbook::appendSheet(const std::string& name) {
    auto sheet = std::make_shared<Worksheet>(shared_from_this(), name);
    mSheets.push_back(sheet);
    if (!mActive.lock()) mActive = sheet;
    return sheet;
}

void Workbook::setFileIdentity(const std::string& fullPath, int fileFormat) {
    std::filesystem::path full(fullPath);
    mName = full.filename().string();
    mPath = full.parent_path().string();
    mFileFormat = fileFormat;
}

std::string Workbook::customUI() const {
    for (const CustomUIPart& p : mCustomUI)
        if (p.office2010) return p.xml;
    return mCustomUI.empty() ? std::string() : mCustomUI.front().xml;
}

bool Workbook::isBuiltinPropertyName(const std::string& name) {
    for (const char* n : BuiltinNames)
        if (TextUtil::equalsIgnoreCase(n, name)) return true;
    return false;
}

void Workbook::addName(const std::string& name, const std::string& refersToR1C1, bool visible) {
    if (!NameTable::validName(name)) fail("The name that you entered is not valid: " + name);
    std::string ref = refersToR1C1;
    if (!ref.empty() && ref[0] == '=') ref.erase(0, 1);
    auto split = CellAddress::splitSheet(ref);
    if (!split) fail("There's a problem with this formula: " + refersToR1C1);
    std::string sheetName = split->first;
    std::string address = split->second;
    if (sheetName.empty()) {
        auto active = mActive.lock();
        if (!active) fail("There's a problem with this formula: " + refersToR1C1);
        sheetName = active->name();
    }
    auto sheet = sheetModel(sheetName);
    // Later areas may repeat the sheet part ("S!R1C1,S!R3C1").
    std::string prefix = CellAddress::quoteSheet(sheetName) + "!";
    for (std::size_t p; (p = address.find(prefix)) != std::string::npos;)
        address.erase(p, prefix.size());
    auto areas = CellAddress::parseR1C1(address);
    if (!sheet || !areas) fail("There's a problem with this formula: " + refersToR1C1);
    mNames.set(DefinedName{name, sheet->name(), *areas, visible});
    markChanged();
}

std::vector<WorkbookName> Workbook::names() const {
    std::vector<WorkbookName> out;
    for (const auto& n : mNames.all())
        out.push_back({n.name, NameTable::refersToR1C1(n), n.visible});
    return out;
}

void Workbook::deleteName(const std::string& name) {
    if (!mNames.remove(name)) fail("Method 'Delete' of object 'Name' failed: no name '" + name + "'");
    markChanged();
}

RangePtr Workbook::nameRange(const std::string& name) const {
    const DefinedName* n = mNames.find(name);
    if (!n || n->areas.empty()) return nullptr;
    auto sheet = sheetModel(n->sheet);
    if (!sheet) return nullptr;
    return sheet->makeRange(n->areas);
}

RangePtr Workbook::resolveReference(const std::string& reference,
                                    const std::shared_ptr<Worksheet>& context) const {
    std::string ref = reference;
    if (!ref.empty() && ref[0] == '=') ref.erase(0, 1);
    while (!ref.empty() && ref.back() == ' ')
        ref.pop_back();
    if (mNames.find(ref)) return nameRange(ref);
    auto split = CellAddress::splitSheet(ref);
    if (!split) return nullptr;
    auto sheet = split->first.empty() ? context : sheetModel(split->first);
    if (!sheet) return nullptr;
    auto areas = CellAddress::parseA1(split->second);
    if (!areas) areas = CellAddress::parseR1C1(split->second);
    if (!areas) return nullptr;
    return sheet->makeRange(*areas);
}

long Workbook::paletteColor(int index) const {
    if (index < 1 || index > 56) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    return mPalette[index - 1];
}

void Workbook::setPaletteColor(int index, long oleColor) {
    if (index < 1 || index > 56) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    if (oleColor < 0 || oleColor > 0xFFFFFF) fail("Unable to set the Colors property of the Workbook class");
    mPalette[index - 1] = oleColor;
    markChanged();
}

int Workbook::nearestPaletteIndex(long oleColor) const {
    int best = 1;
    long bestDistance = -1;
    for (int i = 0; i < 56; ++i) {
        long p = mPalette[i];
        long dr = (p & 0xFF) - (oleColor & 0xFF), dg = ((p >> 8) & 0xFF) - ((oleColor >> 8) & 0xFF),
             db = ((p >> 16) & 0xFF) - ((oleColor >> 16) & 0xFF);
        long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i + 1;
        }
    }
    return best;
}

} // namespace qv::sheet
