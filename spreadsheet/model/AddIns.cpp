#include "spreadsheet/model/AddIns.h"

#include "platform/ErrorCatalogue.h"
#include "platform/TextUtil.h"
#include "spreadsheet/io/XlsxReader.h"
#include "spreadsheet/model/AddIn.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Workbook.h"

#include <filesystem>
#include <fmt/format.h>

namespace qv::sheet {

namespace fs = std::filesystem;

namespace {
constexpr const char* Source = "AddIns";
// More entries than any person keeps; a store holding more is read up to here.
constexpr int MaxEntries = 1000;

[[noreturn]] void fail(const std::string& text) {
    throw NumberedError(err::ApplicationDefined, Source, text);
}

std::string fullPathOf(const std::string& path) {
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    if (ec) return path;
    fs::path canonical = fs::weakly_canonical(full, ec);
    return (ec ? full : canonical).string();
}

RegistryValue textValue(const std::string& text) {
    return {reg::REG_SZ, std::vector<std::uint8_t>(text.begin(), text.end())};
}

RegistryValue dwordValue(std::uint32_t v) {
    return {reg::REG_DWORD,
            {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
}

std::string textOf(const std::optional<RegistryValue>& v) {
    if (!v || (v->type != reg::REG_SZ && v->type != reg::REG_EXPAND_SZ)) return {};
    return std::string(v->data.begin(), v->data.end());
}

bool flagOf(const std::optional<RegistryValue>& v) {
    if (!v || v->type != reg::REG_DWORD || v->data.size() != 4) return false;
    return (v->data[0] | v->data[1] | v->data[2] | v->data[3]) != 0;
}

// The package opened as a workbook, for an application without a host's loader.
struct OpenedPackage : AddIns::Loaded {
    WorkbookPtr book;
    ~OpenedPackage() override {
        try {
            if (book) book->close(false);
        } catch (...) {
            // Going away cannot be refused.
        }
    }
};
} // namespace

AddIns::AddIns(Application& app, IRegistryStore* store, std::string key)
    : mApp(app), mStore(store), mKey(std::move(key)) {
    read();
}

AddIns::~AddIns() = default;

AddInPtr AddIns::item(long index) const {
    if (index < 1 || index > count()) throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    return mItems[static_cast<std::size_t>(index - 1)];
}

AddInPtr AddIns::find(const std::string& pathOrName) const {
    if (pathOrName.find('/') != std::string::npos) {
        const std::string full = fullPathOf(pathOrName);
        for (const auto& a : mItems)
            if (a->fullName() == full) return a;
        return nullptr;
    }
    for (const auto& a : mItems)
        if (TextUtil::equalsIgnoreCase(a->name(), pathOrName)) return a;
    return nullptr;
}

AddInPtr AddIns::add(const std::string& path) {
    if (TextUtil::trim(path).empty()) fail("Method 'Add' of object 'AddIns' failed: no file name");
    const std::string full = fullPathOf(path);
    for (const auto& a : mItems)
        if (a->fullName() == full) return a;
    std::error_code ec;
    if (!fs::is_regular_file(full, ec))
        fail(fmt::format("'{}' could not be found. Check the spelling of the file name, and verify that the "
                         "file location is correct.",
                         path));
    if (TextUtil::lowerAscii(fs::path(full).extension().string()) != ".xlam")
        fail(fmt::format("'{}' is not an add-in package (.xlam).", path));
    // The package is read apart, as a check that it is whole and for its title; only a package
    // that reads joins the list.
    std::string title;
    try {
        std::shared_ptr<Workbook> book = XlsxReader().read(mApp.shared_from_this(), full);
        const Variant t = book->builtinProperty("Title");
        if (t.isString()) title = t.toString();
    } catch (const NumberedError& e) {
        fail(fmt::format("'{}' is damaged and cannot be used as an add-in: {}", path, e.description()));
    } catch (const std::exception& e) {
        fail(fmt::format("'{}' is damaged and cannot be used as an add-in: {}", path, e.what()));
    }
    auto entry = std::make_shared<AddIn>(*this, full, title, false);
    mItems.push_back(entry);
    try {
        save();
    } catch (...) {
        mItems.pop_back();
        throw;
    }
    return entry;
}

AddInPtr AddIns::own(const std::string& path) {
    const std::string full = fullPathOf(path);
    std::shared_ptr<AddIn> entry;
    for (const auto& a : mItems)
        if (a->fullName() == full) entry = a;
    if (!entry)
        for (const auto& a : mItems)
            if (!a->loaded() && TextUtil::equalsIgnoreCase(a->name(), fs::path(full).filename().string())) {
                a->moveTo(full);
                entry = a;
                save();
                break;
            }
    if (!entry) {
        add(full)->setInstalled(true);
        return mItems.back();
    }
    return entry;
}

std::vector<NumberedError> AddIns::loadInstalled() {
    std::vector<NumberedError> failures;
    for (std::size_t i = 0; i < mItems.size(); ++i) {
        const std::shared_ptr<AddIn> a = mItems[i];
        try {
            a->load();
        } catch (const NumberedError& e) {
            a->markUninstalled();
            failures.push_back(e);
        } catch (const std::exception& e) {
            a->markUninstalled();
            failures.emplace_back(err::ApplicationDefined, Source, e.what());
        }
    }
    if (!failures.empty()) {
        try {
            save();
        } catch (const NumberedError& e) {
            failures.push_back(e);
        }
    }
    return failures;
}

void AddIns::releaseAll() {
    // Last loaded first, as they came up.
    for (auto it = mItems.rbegin(); it != mItems.rend(); ++it)
        (*it)->release();
}

std::shared_ptr<AddIns::Loaded> AddIns::load(const std::string& path) {
    if (mLoader) return mLoader(path);
    auto opened = std::make_shared<OpenedPackage>();
    opened->book = mApp.openWorkbook(path);
    return opened;
}

void AddIns::save() {
    if (!mStore) return;
    bool ok = mStore->createKey(reg::HKEY_CURRENT_USER, mKey);
    if (ok)
        if (auto names = mStore->listValueNames(reg::HKEY_CURRENT_USER, mKey))
            for (const auto& n : *names)
                ok = mStore->deleteValue(reg::HKEY_CURRENT_USER, mKey, n) && ok;
    for (std::size_t i = 0; ok && i < mItems.size(); ++i) {
        const auto& a = *mItems[i];
        const std::string n = std::to_string(i + 1);
        ok = mStore->setValue(reg::HKEY_CURRENT_USER, mKey, "Path" + n, textValue(a.fullName())) &&
             mStore->setValue(reg::HKEY_CURRENT_USER, mKey, "Title" + n, textValue(a.title())) &&
             mStore->setValue(reg::HKEY_CURRENT_USER, mKey, "Installed" + n,
                              dwordValue(a.installed() ? 1 : 0));
    }
    if (!ok) fail("The list of add-ins could not be kept in the registry.");
}

void AddIns::read() {
    if (!mStore) return;
    for (int i = 1; i <= MaxEntries; ++i) {
        const std::string n = std::to_string(i);
        const std::string path = textOf(mStore->queryValue(reg::HKEY_CURRENT_USER, mKey, "Path" + n));
        if (path.empty()) break;
        if (find(path)) continue;
        mItems.push_back(std::make_shared<AddIn>(
            *this, path, textOf(mStore->queryValue(reg::HKEY_CURRENT_USER, mKey, "Title" + n)),
            flagOf(mStore->queryValue(reg::HKEY_CURRENT_USER, mKey, "Installed" + n))));
    }
}

} // namespace qv::sheet
