#include "tests/spreadsheet/support/SheetTestSupport.h"

#include <filesystem>

using namespace qv;
using namespace qv::test;

TEST(ApplicationEventsTest, MultiAreaEntryRaisesOneChangeCarryingEveryArea) {
    HostFixture h;
    EventRecorder rec;
    h.app->addEventListener(&rec);
    h.sheet->range("A1:A2,C3:D4")->select();
    EXPECT_TRUE(h.sheet->fillSelection("7"));
    ASSERT_EQ(rec.changes.size(), 1u);
    EXPECT_EQ(rec.changes[0].address, "A1:A2,C3:D4");
    EXPECT_EQ(h.sheet->cells(4, 4)->value(), Variant(7.0));
    EXPECT_TRUE(h.sheet->cells(3, 2)->value().isEmpty());
    EXPECT_EQ(h.app->selection()->areas().size(), 2u);
}

TEST(ApplicationEventsTest, NoEventsWhileEventsAreSwitchedOff) {
    HostFixture h;
    EventRecorder rec;
    h.app->addEventListener(&rec);
    h.app->setEnableEvents(false);
    h.sheet->typeInto(1, 1, "x");
    h.sheet->cells(2, 2)->setValue(Variant(1.0));
    h.book->addWorksheet();
    EXPECT_TRUE(rec.changes.empty());
    EXPECT_TRUE(rec.activated.empty());
    h.app->setEnableEvents(true);
    h.sheet->cells(2, 2)->clearContents();
    ASSERT_EQ(rec.changes.size(), 1u);
    EXPECT_EQ(rec.changes[0].address, "B2");
    h.app->removeEventListener(&rec);
    h.sheet->cells(2, 2)->setValue(Variant(1.0));
    EXPECT_EQ(rec.changes.size(), 1u);
}

TEST(ApplicationEventsTest, CancelInBeforeSaveAndBeforeCloseStopsTheHost) {
    HostFixture h;
    EventRecorder rec;
    h.app->addEventListener(&rec);
    h.sheet->cells(1, 1)->setValue(Variant(1.0));
    rec.cancelSave = true;
    auto path = (std::filesystem::temp_directory_path() / "qv_events_test.xlsx").string();
    EXPECT_FALSE(h.book->saveAs(path));
    EXPECT_EQ(rec.saves, 1);
    EXPECT_EQ(h.book->name(), "Book1");
    EXPECT_FALSE(h.book->saved());

    rec.cancelClose = true;
    EXPECT_FALSE(h.book->close(false));
    EXPECT_EQ(h.app->workbookCount(), 1);
    rec.cancelClose = false;
    EXPECT_TRUE(h.book->close(false));
    EXPECT_EQ(h.app->workbookCount(), 0);
    EXPECT_EQ(errorOf([&] { h.sheet->cells(1, 1)->value(); }).number(), err::ObjectNotSet);
}

TEST(ApplicationTest, KeysMacrosAndTimersRunThroughTheRegisteredMacros) {
    HostFixture h;
    int refreshed = 0;
    h.app->registerMacro(h.book, "ThisWorkbook.Refresh", [&](const std::vector<Variant>&) {
        ++refreshed;
        return Variant();
    });
    h.app->onKey("{F9}", "ThisWorkbook.Refresh");
    EXPECT_TRUE(h.app->pressKey("{f9}"));
    h.app->onKey("{F7}", "");
    EXPECT_TRUE(h.app->pressKey("{F7}")); // bound to nothing: the key is swallowed
    h.app->resetKey("{F7}");
    EXPECT_FALSE(h.app->pressKey("{F7}"));
    h.app->onTime("ThisWorkbook.Refresh");
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(h.app->runPendingTimers(), 1);
    EXPECT_EQ(refreshed, 2);
    EXPECT_EQ(errorOf([&] { h.app->run("ThisWorkbook.Missing"); }).number(), err::ApplicationDefined);
    h.book->close(false);
    EXPECT_FALSE(h.app->hasMacro("ThisWorkbook.Refresh"));
}

TEST(ApplicationTest, PromptsAnswerFalseOnCancelAndTypedValuesOtherwise) {
    HostFixture h;
    h.dialogs.inputAnswers = {std::string("abc"), std::string("42"), std::nullopt};
    EXPECT_EQ(h.app->inputBox("How many?", "", Variant(), 1), Variant(42.0));
    EXPECT_EQ(h.dialogs.boxes.size(), 1u); // "abc" was refused as a number
    EXPECT_EQ(h.app->inputBox("Name?", "", Variant(), 2), Variant(false));

    sheet::ApplicationOptions none;
    auto bare = sheet::Application::create(none);
    EXPECT_EQ(bare->getSaveAsFilename("x.xlsx", "Workbook (*.xlsx),*.xlsx", ""), Variant(false));

    h.dialogs.colorAnswers = {0x123456L};
    EXPECT_TRUE(h.app->dialogEditColor(32, 0));
    EXPECT_EQ(h.book->paletteColor(32), 0x123456L);
    EXPECT_EQ(sheet::Application::create({.locale = sheet::Locale::Dutch})->international(1), Variant(31));
}
