// clsRegistry against the real registry store in a temporary file: the value-type rules, the
// byte order of big-endian numbers, UTF-8 text and the exact failure texts.
#include "common/clsRegistry.h"

#include "common/SettingNames.h"
#include "platform/IShell.h"
#include "platform/NumberedError.h"
#include "tests/support/TempRegistry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace qv;

namespace {

// A shell that only answers what clsRegistry asks: expansion and the executable name.
class FakeShell : public IShell {
  public:
    bool open(const std::string&) override { return false; }
    std::string documentsFolder() override { return "/home/x/Documents"; }
    std::string tempFolder() override { return "/tmp/"; }
    std::string libraryFolder() override { return "/opt/quorvel"; }
    std::string executableName() override { return "quorvel"; }
    std::optional<ShortcutInfo> readShortcut(const std::string&) override { return std::nullopt; }
    std::string newGuid() override { return "{00000000-0000-4000-8000-000000000000}"; }
    bool fileExists(const std::string&) override { return false; }
    std::string expandEnvironment(const std::string& text) override {
        std::string out = text;
        auto p = out.find("%TEMP%");
        if (p != std::string::npos) out.replace(p, 6, "/tmp");
        return out;
    }
    bool programAvailable(const std::string&) override { return false; }
    bool startProgram(const std::string&, const std::vector<std::string>&) override { return false; }
};

class clsRegistryTest : public ::testing::Test {
  protected:
    clsRegistry at(const std::string& path, const std::string& name, std::uint32_t type = reg::REG_SZ) {
        clsRegistry r(*mStore, &mShell);
        r.RootKey(reg::HKEY_CURRENT_USER);
        r.KeyPath(path);
        r.ValueName(name);
        r.ValueType(type);
        return r;
    }
    std::uint32_t storedType(const std::string& path, const std::string& name) {
        auto v = mStore->queryValue(reg::HKEY_CURRENT_USER, path, name);
        return v ? v->type : reg::REG_NONE;
    }

    test::TempRegistry mStore;
    FakeShell mShell;
};

// Lets every call through except the ones a test switches off, as a locked-down registry would.
class RefusingStore : public IRegistryStore {
  public:
    explicit RefusingStore(IRegistryStore& inner) : mInner(inner) {}
    bool refuseCreate = false, refuseSet = false, refuseDelete = false;
    bool keyExists(std::uint32_t r, const std::string& p) override { return mInner.keyExists(r, p); }
    bool createKey(std::uint32_t r, const std::string& p) override {
        return !refuseCreate && mInner.createKey(r, p);
    }
    bool deleteKey(std::uint32_t r, const std::string& p) override {
        return !refuseDelete && mInner.deleteKey(r, p);
    }
    bool deleteValue(std::uint32_t r, const std::string& p, const std::string& n) override {
        return !refuseDelete && mInner.deleteValue(r, p, n);
    }
    std::optional<RegistryValue> queryValue(std::uint32_t r, const std::string& p,
                                            const std::string& n) override {
        return mInner.queryValue(r, p, n);
    }
    bool setValue(std::uint32_t r, const std::string& p, const std::string& n,
                  const RegistryValue& v) override {
        return !refuseSet && mInner.setValue(r, p, n, v);
    }
    std::optional<std::vector<std::string>> listValueNames(std::uint32_t r, const std::string& p) override {
        return mInner.listValueNames(r, p);
    }
    std::optional<std::vector<std::string>> listSubKeys(std::uint32_t r, const std::string& p) override {
        return mInner.listSubKeys(r, p);
    }

  private:
    IRegistryStore& mInner;
};

NumberedError caught(const std::function<void()>& f) {
    try {
        f();
    } catch (const NumberedError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return NumberedError(0, "", "");
}

} // namespace

TEST_F(clsRegistryTest, TextWithAPercentPairBecomesExpandableOtherTextStaysPlain) {
    struct Case {
        const char* text;
        std::uint32_t expected;
    } cases[] = {
        {"%TEMP%\\x", reg::REG_EXPAND_SZ},
        {"100%", reg::REG_SZ},
        {"%%", reg::REG_SZ},
        {"a%%b", reg::REG_SZ},
        {"%a%", reg::REG_EXPAND_SZ},
        {"%%x%", reg::REG_EXPAND_SZ},
        {"no percent", reg::REG_SZ},
    };
    for (const auto& c : cases) {
        auto r = at("SOFTWARE\\T", "v", reg::REG_SZ);
        r.Value(Variant(c.text));
        EXPECT_EQ(storedType("SOFTWARE\\T", "v"), c.expected) << c.text;
    }
    // Asking for REG_EXPAND_SZ does not force it either: the text decides.
    auto r = at("SOFTWARE\\T", "v", reg::REG_EXPAND_SZ);
    r.Value(Variant("plain"));
    EXPECT_EQ(storedType("SOFTWARE\\T", "v"), reg::REG_SZ);
}

TEST_F(clsRegistryTest, ExpandableTextIsExpandedOnReadAndReportsItsType) {
    auto w = at("SOFTWARE\\T", "dir");
    w.Value(Variant("%TEMP%\\x"));
    auto r = at("SOFTWARE\\T", "dir", reg::REG_NONE);
    EXPECT_EQ(r.Value(), Variant("/tmp\\x"));
    EXPECT_EQ(r.ValueType(), reg::REG_EXPAND_SZ);
}

TEST_F(clsRegistryTest, DutchFolderNameSurvivesARoundTripAsUtf8) {
    const std::string folder = "C:\\Gebruikers\\Zoë\\Documenten";
    auto w = at("SOFTWARE\\Quorvel12", setting::InitDir);
    w.Value(Variant(folder));
    auto stored = mStore->queryValue(reg::HKEY_CURRENT_USER, "SOFTWARE\\Quorvel12", setting::InitDir);
    ASSERT_TRUE(stored);
    EXPECT_EQ(std::string(stored->data.begin(), stored->data.end()), folder); // UTF-8, no code page
    EXPECT_EQ(at("SOFTWARE\\Quorvel12", setting::InitDir).Value(), Variant(folder));
}

TEST_F(clsRegistryTest, BigEndianRequestIsStoredAsDword) {
    auto w = at("SOFTWARE\\T", "n", reg::REG_DWORD_BIG_ENDIAN);
    w.Value(Variant(0x01020304));
    auto stored = mStore->queryValue(reg::HKEY_CURRENT_USER, "SOFTWARE\\T", "n");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, reg::REG_DWORD);
    EXPECT_EQ(stored->data, (std::vector<std::uint8_t>{0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(w.LastValue(), Variant(0x01020304));
}

TEST_F(clsRegistryTest, BigEndianValueFromAnotherProgramIsDecodedFromItsByteOrder) {
    ASSERT_TRUE(mStore->createKey(reg::HKEY_CURRENT_USER, "SOFTWARE\\T"));
    // Another program handed its in-memory 0x01020304 (little-endian bytes) to the registry
    // with the big-endian type: read as big-endian that is 0x04030201.
    mStore->setValue(reg::HKEY_CURRENT_USER, "SOFTWARE\\T", "be",
                     {reg::REG_DWORD_BIG_ENDIAN, {0x04, 0x03, 0x02, 0x01}});
    auto r = at("SOFTWARE\\T", "be", reg::REG_NONE);
    EXPECT_EQ(r.Value(), Variant::longValue(0x04030201));
    EXPECT_EQ(r.ValueType(), reg::REG_DWORD_BIG_ENDIAN);
    // The same bytes as a little-endian number read the other way round.
    mStore->setValue(reg::HKEY_CURRENT_USER, "SOFTWARE\\T", "le", {reg::REG_DWORD, {0x04, 0x03, 0x02, 0x01}});
    EXPECT_EQ(at("SOFTWARE\\T", "le").Value(), Variant::longValue(0x01020304));
}

TEST_F(clsRegistryTest, OtherTypesReadAsBytesAndMultiStringsKeepTheirSeparators) {
    ASSERT_TRUE(mStore->createKey(reg::HKEY_CURRENT_USER, "SOFTWARE\\T"));
    mStore->setValue(reg::HKEY_CURRENT_USER, "SOFTWARE\\T", "bin", {reg::REG_BINARY, {0, 255, 7}});
    mStore->setValue(reg::HKEY_CURRENT_USER, "SOFTWARE\\T", "multi", {reg::REG_MULTI_SZ, {'a', 0, 'b', 0}});
    EXPECT_EQ(at("SOFTWARE\\T", "bin").Value(), Variant(Binary{0, 255, 7}));
    EXPECT_EQ(at("SOFTWARE\\T", "multi").Value(), Variant(std::string("a\0b", 3)));
}

TEST_F(clsRegistryTest, WrongKindsOfValueFailWithTheWriteFailureText) {
    auto bin = at("SOFTWARE\\T", "b", reg::REG_BINARY);
    auto e = caught([&] { bin.Value(Variant("not bytes")); });
    EXPECT_EQ(e.number(), err::Registry);
    EXPECT_EQ(e.source(), "quorvel");
    EXPECT_EQ(e.description(), "Failed to set registry value Key: '-2147483647',Section: 'SOFTWARE\\T',Key: "
                               "'b' to value: 'not bytes");

    auto num = at("SOFTWARE\\T", "n", reg::REG_DWORD);
    EXPECT_EQ(caught([&] { num.Value(Variant(1.5)); }).number(), err::Registry);
    EXPECT_EQ(caught([&] { num.Value(Variant("12")); }).number(), err::Registry);
    EXPECT_EQ(caught([&] { num.Value(Variant(std::int64_t{1} << 40)); }).number(), err::Registry);
    auto other = at("SOFTWARE\\T", "m", reg::REG_MULTI_SZ);
    EXPECT_EQ(caught([&] { other.Value(Variant("x")); }).number(), err::Registry);
    // Nothing of the refused writes reached the store.
    auto names = mStore->listValueNames(reg::HKEY_CURRENT_USER, "SOFTWARE\\T");
    ASSERT_TRUE(names);
    EXPECT_TRUE(names->empty());
    EXPECT_TRUE(num.LastValue().isEmpty());
}

TEST_F(clsRegistryTest, MissingValueOrKeyGivesTheDefaultValue) {
    auto r = at("SOFTWARE\\Nowhere", "x");
    EXPECT_TRUE(r.Value().isEmpty());
    r.DefaultValue(Variant("fallback"));
    EXPECT_EQ(r.Value(), Variant("fallback"));
}

TEST_F(clsRegistryTest, UncreatableKeyRaisesTheCreateFailureText) {
    RefusingStore refusing(*mStore);
    refusing.refuseCreate = true;
    clsRegistry r(refusing, &mShell);
    r.KeyPath("SOFTWARE\\Locked");
    auto e = caught([&] { r.CreateKey(); });
    EXPECT_EQ(e.number(), err::Registry);
    EXPECT_EQ(e.source(), "quorvel");
    EXPECT_EQ(e.description(), "Failed to create registry Key: 'SOFTWARE\\Locked");
}

TEST_F(clsRegistryTest, DeleteFailuresNameRootSectionAndKey) {
    auto r = at("SOFTWARE\\Gone", "v");
    EXPECT_EQ(caught([&] { r.DeleteValue(); }).description(),
              "Failed to open key '-2147483647',Section: 'SOFTWARE\\Gone' for delete access");
    EXPECT_EQ(caught([&] { r.DeleteKey(); }).description(),
              "Failed to delete registry Key: '-2147483647',Section: 'SOFTWARE\\Gone");
    r.CreateKey();
    EXPECT_EQ(caught([&] { r.DeleteValue(); }).description(),
              "Failed to delete registry Key: '-2147483647',Section: 'SOFTWARE\\Gone',Key: 'v");
    r.Value(Variant("x"));
    EXPECT_TRUE(r.DeleteValue());
    EXPECT_TRUE(r.Value().isEmpty());
    EXPECT_TRUE(r.DeleteKey());
    EXPECT_FALSE(r.KeyExists());
}

TEST_F(clsRegistryTest, ListsNamesInCreationOrder) {
    auto r = at("SOFTWARE\\L", "zeta");
    r.Value(Variant("1"));
    r.ValueName("alpha");
    r.Value(Variant("2"));
    auto sub = at("SOFTWARE\\L\\B", "");
    sub.CreateKey();
    auto sub2 = at("SOFTWARE\\L\\A", "");
    sub2.CreateKey();
    std::vector<std::string> names;
    std::int32_t count = -1;
    ASSERT_TRUE(r.ListValueNames(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (std::vector<std::string>{"zeta", "alpha"}));
    ASSERT_TRUE(r.ListSubKeys(names, count));
    EXPECT_EQ(names, (std::vector<std::string>{"B", "A"}));
    auto missing = at("SOFTWARE\\NoSuchKey", "");
    EXPECT_FALSE(missing.ListValueNames(names, count));
}
