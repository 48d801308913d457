// A workbook: its sheets, names, document properties, protection and files.
#pragma once

#include "platform/Variant.h"
#include "platform/host/IWorksheet.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv {

class IApplication;

struct WorkbookName {
    std::string name;
    std::string refersToR1C1; // "=Sheet!R1C1:R5C1"
    bool visible = true;
};

class IWorkbook {
  public:
    virtual ~IWorkbook() = default;

    virtual std::shared_ptr<IApplication> application() const = 0;
    virtual std::string name() const = 0;     // file name, or "Book1" before the first save
    virtual std::string fullName() const = 0; // path and name
    virtual std::string path() const = 0;     // folder, empty before the first save
    virtual void activate() = 0;

    // Built-in ("Revision Number", "Title", ...) and custom document properties; empty when unset.
    virtual Variant builtinProperty(const std::string& name) const = 0;
    virtual void setBuiltinProperty(const std::string& name, const Variant& value) = 0;
    virtual Variant customProperty(const std::string& name) const = 0;
    virtual void setCustomProperty(const std::string& name, const Variant& value) = 0;

    // Closes the workbook; raises the before-close event first, which may cancel (answers false).
    virtual bool close(bool saveChanges) = 0;
    virtual bool saved() const = 0;
    virtual void setSaved(bool saved) = 0;
    // Raises the before-save event (save-as UI true), which may cancel (answers false).
    // fileFormat: one of the xl::FileFormat numbers, or 0 to take it from the extension.
    virtual bool saveAs(const std::string& path, int fileFormat = 0) = 0;
    virtual bool save() = 0;

    virtual long worksheetCount() const = 0;
    virtual WorksheetPtr worksheet(long index) const = 0;              // 1-based; raises error 9 when absent
    virtual WorksheetPtr worksheet(const std::string& name) const = 0; // case-insensitive; error 9
    virtual WorksheetPtr findWorksheet(const std::string& name) const = 0; // null when absent
    virtual WorksheetPtr addWorksheet(const WorksheetPtr& after = nullptr) = 0;
    virtual void deleteWorksheet(const WorksheetPtr& sheet) = 0;
    virtual WorksheetPtr activeSheet() const = 0;

    virtual void protectStructure(const std::string& password) = 0;
    virtual void unprotectStructure(const std::string& password) = 0; // error 1004 on a wrong password
    virtual bool structureProtected() const = 0;

    // Names. A name that exists is replaced.
    virtual void addName(const std::string& name, const std::string& refersToR1C1, bool visible = true) = 0;
    virtual std::vector<WorkbookName> names() const = 0;
    virtual void deleteName(const std::string& name) = 0;
    virtual RangePtr nameRange(const std::string& name) const = 0; // null when the name does not resolve

    // Palette entries 1..56 as OLE colours.
    virtual long paletteColor(int index) const = 0;
    virtual void setPaletteColor(int index, long oleColor) = 0;
};

using WorkbookPtr = std::shared_ptr<IWorkbook>;

} // namespace qv
