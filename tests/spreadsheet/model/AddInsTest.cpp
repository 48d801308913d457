// The application's add-in list: kept in the registry store and read back by the next start,
// one entry a file, refusing what it cannot load with the list unchanged, and installing and
// uninstalling by opening and closing the package (the host's own loader is tested with the
// product's package in the host tests).
#include "spreadsheet/model/AddIns.h"
#include "platform/ErrorCatalogue.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Workbook.h"
#include "tests/support/AddInPackage.h"
#include "tests/support/ErrorNumber.h"
#include "tests/support/TempRegistry.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qv::test {

namespace fs = std::filesystem;

namespace {

std::shared_ptr<sheet::Application> startWith(TempRegistry& registry) {
    sheet::ApplicationOptions o;
    o.registry = registry.get();
    return sheet::Application::create(o);
}

struct Listed {
    std::string path;
    std::string title;
    bool installed;
    bool operator==(const Listed&) const = default;
};

std::vector<Listed> listOf(IAddIns& list) {
    std::vector<Listed> out;
    for (long i = 1; i <= list.count(); ++i) {
        auto a = list.item(i);
        out.push_back({a->fullName(), a->title(), a->installed()});
    }
    return out;
}

} // namespace

TEST(AddInsTest, ListIsKeptAndReadBackByTheNextStart) {
    TempDir dir;
    TempRegistry registry;
    const std::string alpha = makeAddInPackage(dir, "Alpha.xlam", "Alpha tools");
    const std::string beta = makeAddInPackage(dir, "sub/beta.xlam", "");
    {
        auto app = startWith(registry);
        AddInsPtr list = app->addIns();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->count(), 0);
        list->add(alpha)->setInstalled(true);
        list->add(beta);
        // Installing opens the package.
        EXPECT_NE(app->findWorkbook("Alpha.xlam"), nullptr);
        EXPECT_EQ(app->findWorkbook("beta.xlam"), nullptr);
    }
    registry.reopen();
    auto app = startWith(registry);
    sheet::AddIns& list = app->addInList();
    EXPECT_EQ(listOf(list), (std::vector<Listed>{{alpha, "Alpha tools", true}, {beta, "beta", false}}));
    EXPECT_EQ(list.find("ALPHA.xlam"), list.item(1));
    EXPECT_EQ(list.find(beta), list.item(2));
    EXPECT_EQ(list.find(dir.file("gamma.xlam")), nullptr);
    // Restored is not loaded: the host loads the installed ones when it is ready.
    EXPECT_EQ(app->findWorkbook("Alpha.xlam"), nullptr);
    EXPECT_TRUE(list.loadInstalled().empty());
    EXPECT_NE(app->findWorkbook("Alpha.xlam"), nullptr);
    EXPECT_EQ(app->findWorkbook("beta.xlam"), nullptr);

    // Uninstalling closes the package and is kept too.
    list.item(1)->setInstalled(false);
    EXPECT_EQ(app->findWorkbook("Alpha.xlam"), nullptr);
    app.reset();
    registry.reopen();
    app = startWith(registry);
    EXPECT_EQ(listOf(app->addInList()),
              (std::vector<Listed>{{alpha, "Alpha tools", false}, {beta, "beta", false}}));
    EXPECT_EQ(errorNumberOf([&] { app->addInList().item(3); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { app->addInList().item(0); }), err::SubscriptOutOfRange);
}

TEST(AddInsTest, TheSameFileTwiceIsOneEntry) {
    TempDir dir;
    TempRegistry registry;
    const std::string alpha = makeAddInPackage(dir, "Alpha.xlam", "Alpha");
    const std::string other = makeAddInPackage(dir, "other/Alpha.xlam", "Another alpha");
    auto app = startWith(registry);
    sheet::AddIns& list = app->addInList();
    AddInPtr first = list.add(alpha);
    first->setInstalled(true);
    // Spelled another way, through a link to its folder, or while it is installed: the same file.
    fs::create_directory_symlink(dir.path(), dir.file("link"));
    EXPECT_EQ(list.add(dir.path() + "/./other/../Alpha.xlam"), first);
    EXPECT_EQ(list.add(dir.file("link/Alpha.xlam")), first);
    EXPECT_EQ(list.add(alpha), first);
    EXPECT_TRUE(first->installed());
    EXPECT_EQ(list.count(), 1);
    // Another file of the same name is another package.
    AddInPtr second = list.add(other);
    EXPECT_NE(second, first);
    EXPECT_EQ(list.count(), 2);
    registry.reopen();
    auto again = startWith(registry);
    EXPECT_EQ(again->addInList().count(), 2);
}

TEST(AddInsTest, FilesThatCannotBeAddInsAreRefusedWithTheListUnchanged) {
    TempDir dir;
    TempRegistry registry;
    const std::string alpha = makeAddInPackage(dir, "Alpha.xlam", "Alpha");
    auto app = startWith(registry);
    sheet::AddIns& list = app->addInList();
    list.add(alpha);
    const auto before = listOf(list);

    writeAll(dir.file("damaged.xlam"), std::string("PK\x03\x04") + " this is no zip package at all");
    writeAll(dir.file("empty.xlam"), "");
    writeAll(dir.file("notes.txt"), "text");
    fs::copy_file(alpha, dir.file("Alpha.xlsx"));
    struct Case {
        std::string path;
        std::string says;
    };
    for (const Case& c : std::vector<Case>{{dir.file("missing.xlam"), "could not be found"},
                                           {dir.path(), "could not be found"},
                                           {"", "no file name"},
                                           {dir.file("damaged.xlam"), "damaged"},
                                           {dir.file("empty.xlam"), "damaged"},
                                           {dir.file("notes.txt"), "not an add-in package"},
                                           {dir.file("Alpha.xlsx"), "not an add-in package"}}) {
        std::string text;
        EXPECT_EQ(errorNumberOf([&] { list.add(c.path); }, &text), err::ApplicationDefined) << c.path;
        EXPECT_NE(text.find(c.says), std::string::npos) << c.path << ": " << text;
        EXPECT_EQ(listOf(list), before) << c.path;
    }
    // Nothing of the refused files reached the store, and no workbook was left open.
    EXPECT_EQ(app->workbookCount(), 0);
    registry.reopen();
    EXPECT_EQ(listOf(startWith(registry)->addInList()), before);
}

TEST(AddInsTest, PackageThatCannotBeLoadedStaysUninstalled) {
    TempDir dir;
    TempRegistry registry;
    const std::string alpha = makeAddInPackage(dir, "Alpha.xlam", "Alpha");
    const std::string beta = makeAddInPackage(dir, "Beta.xlam", "Beta");
    {
        auto app = startWith(registry);
        app->addInList().add(alpha)->setInstalled(true);
        app->addInList().add(beta)->setInstalled(true);
    }
    // Gone before the next start: the others still load, and the person hears of the missing one.
    fs::remove(alpha);
    registry.reopen();
    auto app = startWith(registry);
    sheet::AddIns& list = app->addInList();
    const auto failures = list.loadInstalled();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].description().find("Alpha.xlam"), std::string::npos) << failures[0].description();
    EXPECT_FALSE(list.item(1)->installed());
    EXPECT_TRUE(list.item(2)->installed());
    EXPECT_NE(app->findWorkbook("Beta.xlam"), nullptr);

    // Installing it while it is still missing fails and changes nothing.
    EXPECT_EQ(errorNumberOf([&] { list.item(1)->setInstalled(true); }), err::ApplicationDefined);
    EXPECT_FALSE(list.item(1)->installed());
    registry.reopen();
    EXPECT_EQ(listOf(startWith(registry)->addInList()),
              (std::vector<Listed>{{alpha, "Alpha", false}, {beta, "Beta", true}}));
}

TEST(AddInsTest, WithoutAStoreTheListLastsForTheRunOnly) {
    TempDir dir;
    const std::string alpha = makeAddInPackage(dir, "Alpha.xlam", "Alpha");
    auto app = sheet::Application::create();
    app->addInList().add(alpha)->setInstalled(true);
    EXPECT_TRUE(app->addInList().item(1)->installed());
    EXPECT_EQ(sheet::Application::create()->addInList().count(), 0);
}

} // namespace qv::test

namespace qv::test {

// The host's own package is one entry wherever a copy of the host keeps it: a package of the same
// name listed from elsewhere is moved to the copy's, with the person's choice kept.
TEST(AddInsTest, TheHostsOwnPackageIsOneEntryWhereverTheHostKeepsIt) {
    TempDir dir;
    TempRegistry registry;
    const std::string first = makeAddInPackage(dir, "one/Host12.xlam", "Host");
    const std::string second = makeAddInPackage(dir, "two/Host12.xlam", "Host");
    const std::string other = makeAddInPackage(dir, "Other.xlam", "Other");
    {
        auto app = startWith(registry);
        AddInPtr own = app->addInList().own(first);
        EXPECT_TRUE(own->installed()) << "listed and installed the first time";
        EXPECT_NE(app->findWorkbook("Host12.xlam"), nullptr);
        app->addInList().add(other)->setInstalled(true);
        own->setInstalled(false);
    }
    registry.reopen();
    {
        // Another copy of the host: its package takes the entry, still uninstalled, and the
        // other copy's stays out of the list, so it cannot clash with this one's name.
        auto app = startWith(registry);
        AddInPtr own = app->addInList().own(second);
        EXPECT_EQ(own->fullName(), second);
        EXPECT_FALSE(own->installed());
        EXPECT_TRUE(app->addInList().loadInstalled().empty());
        EXPECT_EQ(app->findWorkbook("Host12.xlam"), nullptr);
        EXPECT_NE(app->findWorkbook("Other.xlam"), nullptr);
        EXPECT_EQ(listOf(app->addInList()),
                  (std::vector<Listed>{{second, "Host", false}, {other, "Other", true}}));
        own->setInstalled(true);
    }
    registry.reopen();
    auto app = startWith(registry);
    AddInPtr own = app->addInList().own(first);
    EXPECT_TRUE(own->installed());
    EXPECT_TRUE(app->addInList().loadInstalled().empty());
    EXPECT_EQ(app->findWorkbook("Host12.xlam")->fullName(), first);
    EXPECT_EQ(app->addInList().count(), 2);
}

} // namespace qv::test
