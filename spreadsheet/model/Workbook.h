// A workbook of the in-process host: its sheets, the interned styles and texts they share,
// names, document properties, palette, structure protection and files. Every change anywhere in
// it clears the Saved flag.
#pragma once

#include "platform/host/IWorkbook.h"
#include "spreadsheet/io/StringPool.h"
#include "spreadsheet/model/NameTable.h"
#include "spreadsheet/model/StylePool.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qv::sheet {

class Application;
class Worksheet;

class Workbook : public IWorkbook, public std::enable_shared_from_this<Workbook> {
  public:
    Workbook(const std::shared_ptr<Application>& app, std::string name);
    // Adds the first sheets; separate from the constructor because sheets need shared_from_this.
    void createSheets(int count);

    std::shared_ptr<IApplication> application() const override;
    std::string name() const override { return mName; }
    std::string fullName() const override { return mPath.empty() ? mName : mPath + "/" + mName; }
    std::string path() const override { return mPath; }
    void activate() override;

    Variant builtinProperty(const std::string& name) const override;
    void setBuiltinProperty(const std::string& name, const Variant& value) override;
    Variant customProperty(const std::string& name) const override;
    void setCustomProperty(const std::string& name, const Variant& value) override;

    bool close(bool saveChanges) override;
    bool saved() const override { return mSaved; }
    void setSaved(bool saved) override { mSaved = saved; }
    bool saveAs(const std::string& path, int fileFormat = 0) override;
    bool save() override;

    long worksheetCount() const override { return static_cast<long>(mSheets.size()); }
    WorksheetPtr worksheet(long index) const override;
    WorksheetPtr worksheet(const std::string& name) const override;
    WorksheetPtr findWorksheet(const std::string& name) const override;
    WorksheetPtr addWorksheet(const WorksheetPtr& after = nullptr) override;
    void deleteWorksheet(const WorksheetPtr& sheet) override;
    WorksheetPtr activeSheet() const override;

    void protectStructure(const std::string& password) override;
    void unprotectStructure(const std::string& password) override;
    bool structureProtected() const override { return mStructureProtected; }

    void addName(const std::string& name, const std::string& refersToR1C1, bool visible = true) override;
    std::vector<WorkbookName> names() const override;
    void deleteName(const std::string& name) override;
    RangePtr nameRange(const std::string& name) const override;

    long paletteColor(int index) const override;
    void setPaletteColor(int index, long oleColor) override;

    // --- model
    StylePool& styles() { return mStyles; }
    const StylePool& styles() const { return mStyles; }
    StringPool& strings() { return mStrings; }
    const StringPool& strings() const { return mStrings; }
    NameTable& nameTable() { return mNames; }
    const NameTable& nameTable() const { return mNames; }
    const std::vector<std::shared_ptr<Worksheet>>& sheets() const { return mSheets; }
    std::shared_ptr<Worksheet> sheetModel(const std::string& name) const;
    std::shared_ptr<Application> app() const { return mApp.lock(); }
    void markChanged() { mSaved = false; }
    void setActiveSheet(const std::shared_ptr<Worksheet>& sheet);
    void checkStructureUnprotected() const;
    // A name, "Sheet!A1:B2", "'My sheet'!$A$1" or "$A$1:$A$3" (on `context`) resolved to cells.
    RangePtr resolveReference(const std::string& reference, const std::shared_ptr<Worksheet>& context) const;
    // The palette index whose colour is nearest to an OLE colour.
    int nearestPaletteIndex(long oleColor) const;
    std::string structurePassword() const { return mStructurePassword; }
    const std::map<std::string, Variant>& builtinProperties() const { return mBuiltin; }
    void closeWithoutEvents(); // used by Application when it goes away
    const std::map<std::string, std::pair<std::string, Variant>>& customProperties() const { return mCustom; }
    static bool isBuiltinPropertyName(const std::string& name);
    // The legacy verifier of the structure password, as a file stored it ("" when the password is known).
    std::string structurePasswordHash() const { return mStructureHash; }

    // --- for the file readers: a workbook being built from a file, before the application lists it
    std::shared_ptr<Worksheet> appendSheet(const std::string& name);
    void restoreStructureProtection(const std::string& passwordHash);
    void setFileIdentity(const std::string& fullPath, int fileFormat);

    // The ribbon definition parts of an add-in package, kept so that a save writes them back.
    struct CustomUIPart {
        bool office2010 = false; // customUI14.xml (2009/07 namespace) rather than customUI.xml
        std::string xml;
    };
    const std::vector<CustomUIPart>& customUIParts() const { return mCustomUI; }
    void setCustomUIParts(std::vector<CustomUIPart> parts) { mCustomUI = std::move(parts); }
    // The ribbon definition a host of today loads: the 2010 part when there is one; "" when none.
    std::string customUI() const;

  private:
    std::string uniqueSheetName() const;
    std::weak_ptr<Application> mApp;
    std::string mName, mPath;
    int mFileFormat = 0;
    bool mSaved = true;
    StylePool mStyles;
    StringPool mStrings;
    NameTable mNames;
    std::vector<std::shared_ptr<Worksheet>> mSheets;
    std::weak_ptr<Worksheet> mActive;
    std::map<std::string, Variant> mBuiltin;                        // keyed by the canonical property name
    std::map<std::string, std::pair<std::string, Variant>> mCustom; // lower-case key
    bool mStructureProtected = false;
    std::string mStructurePassword;
    std::string mStructureHash;
    std::vector<CustomUIPart> mCustomUI;
    std::array<long, 56> mPalette;
    int mSheetCounter = 0;
};

} // namespace qv::sheet
