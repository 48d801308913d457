// A customUI ribbon definition as read from a workbook: the tree of tabs, groups and controls
// with their attributes exactly as written (static values and callback names alike). Reading
// refuses what the host refuses - malformed XML, an unknown element, a duplicate id, a static
// value next to the callback for the same property - with error 1004 and where it was found.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace qv::sheet {

enum class RibbonControlKind {
    Tab,
    Group,
    Button,
    ToggleButton,
    CheckBox,
    DropDown,
    ComboBox,
    Gallery,
    EditBox,
    LabelControl,
    Separator,
    MenuSeparator,
    Menu,
    SplitButton,
    DynamicMenu,
    Box,
    ButtonGroup,
    DialogBoxLauncher,
};

enum class CustomUIVersion { Schema2006, Schema2009 };

// A static item of a drop-down, combo box or gallery.
struct RibbonItem {
    std::string id;
    std::string label;
    std::string image;
    std::string imageMso;
    std::string screentip;
};

struct RibbonNode {
    RibbonControlKind kind = RibbonControlKind::Button;
    std::string id;       // id, idMso or idQ as written; may be empty for separators
    bool builtIn = false; // named by idMso: one of the host's own
    std::map<std::string, std::string> attributes;
    std::vector<RibbonItem> items;
    std::vector<RibbonNode> children;

    // Null when the attribute is absent.
    const std::string* attribute(const std::string& name) const {
        const auto it = attributes.find(name);
        return it == attributes.end() ? nullptr : &it->second;
    }
};

class RibbonDefinition {
  public:
    static constexpr const char* Namespace2006 = "http://schemas.microsoft.com/office/2006/01/customui";
    static constexpr const char* Namespace2009 = "http://schemas.microsoft.com/office/2009/07/customui";

    static RibbonDefinition parse(const std::string& xml);
    static RibbonDefinition parseFile(const std::string& path); // error 53 when the file is missing

    CustomUIVersion version = CustomUIVersion::Schema2006;
    std::string onLoad;    // callback name, empty when none
    std::string loadImage; // callback name, empty when none
    bool startFromScratch = false;
    std::vector<RibbonNode> tabs;

    // Depth-first by id (or idMso); null when absent.
    const RibbonNode* find(const std::string& id) const;
};

std::string toString(RibbonControlKind kind);

} // namespace qv::sheet
