// clsRegistry over the registry store contract. The error texts are the product's own and are
// matched by people reading support mails, so they are kept character for character, including
// the unbalanced quotes.
#include "common/clsRegistry.h"

#include "platform/IShell.h"
#include "platform/NumberedError.h"

#include <cerrno>
#include <limits>

namespace qv {

namespace {

std::uint32_t readUInt32(const std::vector<std::uint8_t>& d, bool bigEndian) {
    std::uint8_t b[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < 4 && i < d.size(); ++i)
        b[i] = d[i];
    if (bigEndian)
        return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
    return (std::uint32_t(b[3]) << 24) | (std::uint32_t(b[2]) << 16) | (std::uint32_t(b[1]) << 8) | b[0];
}

// Text of a value for an error message; a value that has no text form shows as nothing rather
// than hiding the registry failure behind a conversion error.
std::string valueText(const Variant& v) {
    try {
        return v.toString();
    } catch (const NumberedError&) {
        return {};
    }
}

} // namespace

clsRegistry::clsRegistry(IRegistryStore& store, IShell* shell) : mStore(store), mShell(shell) {}

bool clsRegistry::LooksExpandable(const std::string& text) {
    const auto first = text.find('%');
    if (first == std::string::npos) return false;
    return text.find('%', first + 2) != std::string::npos;
}

std::string clsRegistry::rootText() const {
    // The root is a 32-bit handle printed as the signed number it is in the product's messages
    // (HKEY_CURRENT_USER shows as -2147483647).
    return std::to_string(static_cast<std::int32_t>(mlRootKey));
}

std::string clsRegistry::section() const {
    return rootText() + "',Section: '" + msKeyPath;
}

void clsRegistry::raise(const std::string& description) const {
    std::string source = mShell ? mShell->executableName() : std::string(program_invocation_short_name);
    throw NumberedError(err::Registry, source, description);
}

bool clsRegistry::KeyExists() {
    return mStore.keyExists(mlRootKey, msKeyPath);
}

bool clsRegistry::CreateKey() {
    if (!mStore.createKey(mlRootKey, msKeyPath)) raise("Failed to create registry Key: '" + msKeyPath);
    return true;
}

bool clsRegistry::DeleteKey() {
    if (!mStore.deleteKey(mlRootKey, msKeyPath)) raise("Failed to delete registry Key: '" + section());
    return true;
}

bool clsRegistry::DeleteValue() {
    if (!mStore.keyExists(mlRootKey, msKeyPath))
        raise("Failed to open key '" + section() + "' for delete access");
    if (!mStore.deleteValue(mlRootKey, msKeyPath, msValueName))
        raise("Failed to delete registry Key: '" + section() + "',Key: '" + msValueName);
    return true;
}

Variant clsRegistry::Value() {
    auto found = mStore.queryValue(mlRootKey, msKeyPath, msValueName);
    if (!found) return mvDefaultValue;
    mlValueType = found->type;
    const auto& d = found->data;
    switch (found->type) {
    case reg::REG_SZ:
    case reg::REG_EXPAND_SZ:
    case reg::REG_MULTI_SZ: {
        std::string text(d.begin(), d.end());
        // Values written by other programs may carry the terminating NUL in their size.
        if (!text.empty() && text.back() == '\0') text.pop_back();
        if (found->type == reg::REG_EXPAND_SZ && mShell) text = mShell->expandEnvironment(text);
        return Variant(std::move(text));
    }
    case reg::REG_DWORD:
        return Variant::longValue(static_cast<std::int32_t>(readUInt32(d, false)));
    case reg::REG_DWORD_BIG_ENDIAN:
        return Variant::longValue(static_cast<std::int32_t>(readUInt32(d, true)));
    default:
        return Variant(Binary(d.begin(), d.end()));
    }
}

void clsRegistry::Value(const Variant& value) {
    auto fail = [&] {
        raise("Failed to set registry value Key: '" + section() + "',Key: '" + msValueName + "' to value: '" +
              valueText(value));
    };
    if (!mStore.createKey(mlRootKey, msKeyPath)) fail();
    RegistryValue stored;
    switch (mlValueType) {
    case reg::REG_SZ:
    case reg::REG_EXPAND_SZ: {
        std::string text;
        try {
            text = value.toString();
        } catch (const NumberedError&) {
            fail();
        }
        stored.type = LooksExpandable(text) ? reg::REG_EXPAND_SZ : reg::REG_SZ;
        stored.data.assign(text.begin(), text.end());
        break;
    }
    case reg::REG_BINARY:
        if (!value.isBinary()) fail();
        stored.type = reg::REG_BINARY;
        stored.data = value.bytes();
        break;
    case reg::REG_DWORD:
    case reg::REG_DWORD_BIG_ENDIAN: {
        // Only whole numbers that fit 32 bits; a double or a text is the wrong kind of value.
        if (!value.isIntegral() || value.type() == VarType::Boolean) fail();
        const std::int64_t n = value.toInt64();
        if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
            fail();
        const auto u = static_cast<std::uint32_t>(n);
        stored.type = reg::REG_DWORD;
        stored.data = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                       static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
        break;
    }
    default:
        fail(); // ERROR_INVALID_DATA
    }
    if (!mStore.setValue(mlRootKey, msKeyPath, msValueName, stored)) fail();
    mvValue = value;
}

bool clsRegistry::ListValueNames(std::vector<std::string>& names, std::int32_t& count) {
    auto found = mStore.listValueNames(mlRootKey, msKeyPath);
    if (!found) return false;
    names = std::move(*found);
    count = static_cast<std::int32_t>(names.size());
    return true;
}

bool clsRegistry::ListSubKeys(std::vector<std::string>& names, std::int32_t& count) {
    auto found = mStore.listSubKeys(mlRootKey, msKeyPath);
    if (!found) return false;
    names.clear();
    for (auto& n : *found) {
        // Cut at the first NUL, as a fixed name buffer would.
        auto nul = n.find('\0');
        names.push_back(nul == std::string::npos ? std::move(n) : n.substr(0, nul));
    }
    count = static_cast<std::int32_t>(names.size());
    return true;
}

} // namespace qv
