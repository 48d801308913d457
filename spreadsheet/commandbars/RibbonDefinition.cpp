// pugixml does not resolve namespaces, so prefixes are resolved here from the xmlns
// attributes in scope; a definition written with a prefix (<mso:customUI xmlns:mso=...>) reads
// the same as one in the default namespace.
#include "spreadsheet/commandbars/RibbonDefinition.h"

#include "platform/NumberedError.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <filesystem>
#include <set>
#include <utility>

namespace qv::sheet {

namespace {

constexpr const char* kSource = "Ribbon";

[[noreturn]] void refuse(const pugi::xml_node& node, const std::string& what) {
    throw NumberedError(
        err::ApplicationDefined, kSource,
        fmt::format("The ribbon definition is not valid: {} (at offset {})", what, node.offset_debug()));
}

std::string namespaceOf(const pugi::xml_node& node) {
    const std::string name = node.name();
    const auto colon = name.find(':');
    const std::string attr = colon == std::string::npos ? "xmlns" : "xmlns:" + name.substr(0, colon);
    for (auto n = node; n; n = n.parent())
        if (auto a = n.attribute(attr.c_str())) return a.value();
    return {};
}

std::string localName(const pugi::xml_node& node) {
    const std::string name = node.name();
    const auto colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

struct KindName {
    const char* name;
    RibbonControlKind kind;
};
constexpr KindName kKinds[] = {
    {"tab", RibbonControlKind::Tab},
    {"group", RibbonControlKind::Group},
    {"button", RibbonControlKind::Button},
    {"toggleButton", RibbonControlKind::ToggleButton},
    {"checkBox", RibbonControlKind::CheckBox},
    {"dropDown", RibbonControlKind::DropDown},
    {"comboBox", RibbonControlKind::ComboBox},
    {"gallery", RibbonControlKind::Gallery},
    {"editBox", RibbonControlKind::EditBox},
    {"labelControl", RibbonControlKind::LabelControl},
    {"separator", RibbonControlKind::Separator},
    {"menuSeparator", RibbonControlKind::MenuSeparator},
    {"menu", RibbonControlKind::Menu},
    {"splitButton", RibbonControlKind::SplitButton},
    {"dynamicMenu", RibbonControlKind::DynamicMenu},
    {"box", RibbonControlKind::Box},
    {"buttonGroup", RibbonControlKind::ButtonGroup},
    {"dialogBoxLauncher", RibbonControlKind::DialogBoxLauncher},
};

// Static values that the host refuses next to their callback.
constexpr std::pair<const char*, const char*> kExclusive[] = {
    {"label", "getLabel"},
    {"image", "getImage"},
    {"imageMso", "getImage"},
    {"image", "imageMso"},
    {"enabled", "getEnabled"},
    {"visible", "getVisible"},
    {"screentip", "getScreentip"},
    {"supertip", "getSupertip"},
    {"keytip", "getKeytip"},
    {"size", "getSize"},
    {"showLabel", "getShowLabel"},
    {"showImage", "getShowImage"},
    {"description", "getDescription"},
};

// Controls nest in the host's own ribbons a handful of levels deep (tab, group, box, menu,
// menu). The bound keeps a hostile definition from exhausting the stack of this recursive
// reader and of everything that walks the tree after it.
constexpr int kMaxDepth = 64;

class Reader {
  public:
    explicit Reader(std::string ns) : mNamespace(std::move(ns)) {}

    // depth 1 is a tab.
    RibbonNode control(const pugi::xml_node& x, const std::string& where, int depth = 1) {
        if (depth > kMaxDepth)
            refuse(x, fmt::format("controls nested more than {} deep in {}", kMaxDepth, where));
        const std::string name = element(x, where);
        RibbonNode node;
        bool known = false;
        for (const auto& k : kKinds)
            if (name == k.name) node.kind = k.kind, known = true;
        if (!known) refuse(x, fmt::format("unknown element <{}> in {}", name, where));
        for (const auto& a : x.attributes()) {
            const std::string an = a.name();
            if (an == "xmlns" || an.rfind("xmlns:", 0) == 0) continue;
            node.attributes[an] = a.value();
        }
        for (const auto& [a, b] : kExclusive)
            if (node.attributes.count(a) && node.attributes.count(b))
                refuse(x, fmt::format("<{}> has both {} and {}", name, a, b));
        if (const auto* v = node.attribute("idMso"))
            node.id = *v, node.builtIn = true;
        else if (const auto* q = node.attribute("idQ"))
            node.id = *q;
        if (const auto* i = node.attribute("id")) {
            if (!node.id.empty()) refuse(x, fmt::format("<{}> has more than one of id, idMso and idQ", name));
            node.id = *i;
        }
        const bool anonymous =
            node.kind == RibbonControlKind::Separator || node.kind == RibbonControlKind::MenuSeparator ||
            node.kind == RibbonControlKind::DialogBoxLauncher || node.kind == RibbonControlKind::ButtonGroup;
        if (node.id.empty() && !anonymous) refuse(x, fmt::format("<{}> in {} has no id", name, where));
        if (!node.id.empty() && !node.builtIn && !mIds.insert(node.id).second)
            refuse(x, fmt::format("the id \"{}\" is used twice", node.id));

        const std::string here = node.id.empty() ? "<" + name + ">" : "\"" + node.id + "\"";
        for (const auto& child : x.children()) {
            if (child.type() != pugi::node_element) continue;
            if (localName(child) == "item" && namespaceOf(child) == mNamespace) {
                node.items.push_back(item(child, node));
                continue;
            }
            node.children.push_back(control(child, here, depth + 1));
        }
        return node;
    }

    std::string element(const pugi::xml_node& x, const std::string& where) const {
        if (namespaceOf(x) != mNamespace)
            refuse(x, fmt::format("<{}> in {} is outside the customUI namespace", x.name(), where));
        return localName(x);
    }

  private:
    RibbonItem item(const pugi::xml_node& x, const RibbonNode& owner) {
        if (owner.kind != RibbonControlKind::DropDown && owner.kind != RibbonControlKind::ComboBox &&
            owner.kind != RibbonControlKind::Gallery)
            refuse(x, fmt::format("<item> in \"{}\", which takes no items", owner.id));
        RibbonItem it{x.attribute("id").value(), x.attribute("label").value(), x.attribute("image").value(),
                      x.attribute("imageMso").value(), x.attribute("screentip").value()};
        if (it.id.empty()) refuse(x, fmt::format("an <item> of \"{}\" has no id", owner.id));
        return it;
    }

    std::string mNamespace;
    std::set<std::string> mIds;
};

const RibbonNode* findIn(const std::vector<RibbonNode>& nodes, const std::string& id) {
    for (const auto& n : nodes) {
        if (n.id == id) return &n;
        if (const auto* f = findIn(n.children, id)) return f;
    }
    return nullptr;
}

RibbonDefinition read(const pugi::xml_document& doc) {
    const auto root = doc.document_element();
    if (!root) throw NumberedError(err::ApplicationDefined, kSource, "The ribbon definition is empty");
    const std::string ns = namespaceOf(root);
    RibbonDefinition def;
    if (ns == RibbonDefinition::Namespace2006)
        def.version = CustomUIVersion::Schema2006;
    else if (ns == RibbonDefinition::Namespace2009)
        def.version = CustomUIVersion::Schema2009;
    else
        refuse(root, fmt::format("the root <{}> is not in a customUI namespace (\"{}\")", root.name(), ns));
    if (localName(root) != "customUI")
        refuse(root, fmt::format("the root is <{}>, not <customUI>", root.name()));
    def.onLoad = root.attribute("onLoad").value();
    def.loadImage = root.attribute("loadImage").value();

    Reader reader(ns);
    for (const auto& part : root.children()) {
        if (part.type() != pugi::node_element) continue;
        const std::string name = reader.element(part, "<customUI>");
        if (name != "ribbon") continue; // commands, backstage and context menus have no place in our window
        const std::string scratch = part.attribute("startFromScratch").value();
        def.startFromScratch = scratch == "true" || scratch == "1";
        for (const auto& section : part.children()) {
            if (section.type() != pugi::node_element) continue;
            if (reader.element(section, "<ribbon>") != "tabs")
                continue; // quick access toolbar, application menu, contextual tabs
            for (const auto& tab : section.children()) {
                if (tab.type() != pugi::node_element) continue;
                if (reader.element(tab, "<tabs>") != "tab")
                    refuse(tab, fmt::format("<{}> where a <tab> belongs", tab.name()));
                def.tabs.push_back(reader.control(tab, "<tabs>"));
            }
        }
    }
    return def;
}

[[noreturn]] void refuseXml(const pugi::xml_parse_result& r) {
    throw NumberedError(err::ApplicationDefined, kSource,
                        fmt::format("The ribbon definition is not well-formed XML: {} (at offset {})",
                                    r.description(), r.offset));
}

} // namespace

RibbonDefinition RibbonDefinition::parse(const std::string& xml) {
    pugi::xml_document doc;
    const auto r = doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_auto);
    if (!r) refuseXml(r);
    return read(doc);
}

RibbonDefinition RibbonDefinition::parseFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw NumberedError(err::FileNotFound, kSource, "File not found: " + path);
    pugi::xml_document doc;
    const auto r = doc.load_file(path.c_str());
    if (!r) refuseXml(r);
    return read(doc);
}

const RibbonNode* RibbonDefinition::find(const std::string& id) const {
    return findIn(tabs, id);
}

std::string toString(RibbonControlKind kind) {
    for (const auto& k : kKinds)
        if (k.kind == kind) return k.name;
    return {};
}

} // namespace qv::sheet
