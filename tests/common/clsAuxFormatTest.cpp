// The settings-driven sheet formatting and the named lookup lists, checked through the host
// contracts on a real spreadsheet host (see TestHost.h); skipped while none is linked in.
#include "CommonFakes.h"
#include "TestHost.h"

#include "common/HostStateGuard.h"
#include "common/SettingNames.h"
#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "platform/engine/IAdoRecordset.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

using test::FakeSettings;

class ListField : public IAdoField {
  public:
    explicit ListField(std::string n) : mName(std::move(n)) {}
    std::string name() const override { return mName; }
    Variant value() const override { return {}; }
    int type() const override { return 202; }
    long definedSize() const override { return 255; }

  private:
    std::string mName;
};

// One text column of values, as a SELECT DISTINCT answers it.
class ListRecordset : public IAdoRecordset {
  public:
    ListRecordset(std::string field, std::vector<std::string> values)
        : mField(std::move(field)), mValues(std::move(values)) {}
    int state() const override { return 1; }
    void close() override {}
    long long recordCount() const override { return static_cast<long long>(mValues.size()); }
    bool eof() const override { return mPos >= mValues.size(); }
    bool bof() const override { return mValues.empty(); }
    void moveFirst() override { mPos = 0; }
    void moveNext() override { ++mPos; }
    long long absolutePosition() const override { return eof() ? 0 : static_cast<long long>(mPos + 1); }
    long fieldCount() const override { return 1; }
    std::shared_ptr<IAdoField> field(long) const override { return std::make_shared<ListField>(mField); }
    std::shared_ptr<IAdoField> field(const std::string&) const override {
        return std::make_shared<ListField>(mField);
    }
    Variant valueAt(long long row, long) const override {
        return Variant(mValues.at(static_cast<std::size_t>(row)));
    }

  private:
    std::string mField;
    std::vector<std::string> mValues;
    std::size_t mPos = 0;
};

// A record set that only claims its size: the record limit must be checked before one value is read.
class SizedRecordset : public ListRecordset {
  public:
    explicit SizedRecordset(long long count) : ListRecordset("City", {"Delft"}), mCount(count) {}
    long long recordCount() const override { return mCount; }
    Variant valueAt(long long, long) const override {
        ++reads;
        return Variant("Delft");
    }
    mutable long long reads = 0;

  private:
    long long mCount;
};

NumberedError errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const NumberedError& e) {
        return e;
    }
    return NumberedError(0, "", "");
}

class clsAuxFormatTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app = test::MakeSpreadsheetHost();
        if (!app) GTEST_SKIP() << "needs the spreadsheet host; none is linked into test_common yet";
        book = app->addWorkbook();
        sheet = book->worksheet(1L);
        ctx.application = [this] { return app; };
        ctx.settings = &settings;
        ctx.formSheet = [this] { return formSheet; };
    }

    ApplicationPtr app;
    WorkbookPtr book;
    WorksheetPtr sheet, formSheet;
    FakeSettings settings;
    AuxContext ctx;
};

TEST_F(clsAuxFormatTest, HeaderRowTakesTheTitleColours) {
    settings.values[setting::ColorTitleBack] = 255;
    settings.values[setting::ColorTitleFront] = 65535;
    clsAux(ctx).ApplyHeaderFormat(*sheet->range("B2:D5"));
    EXPECT_TRUE(sheet->range("B2:D2")->fontBold().toBool());
    EXPECT_TRUE(sheet->range("B2:D2")->locked().toBool());
    EXPECT_EQ(sheet->range("C2")->fillColor().toInt64(), 255);
    EXPECT_EQ(sheet->range("D2")->fontColor().toInt64(), 65535);
    EXPECT_FALSE(sheet->range("B3")->fontBold().toBool());
    EXPECT_NE(sheet->range("B3")->fillColor().toInt64(), 255);
}

TEST_F(clsAuxFormatTest, FixedWidthUnlessAutoFitOrAccessProperties) {
    settings.values[setting::FixedColumnWidth] = 13;
    clsAux(ctx).ApplyColumnLayout(*sheet->range("A1:C3"));
    for (const char* c : {"A1", "B1", "C1"})
        EXPECT_DOUBLE_EQ(sheet->range(c)->columnWidth(), 13.0) << c;
    EXPECT_NE(sheet->range("D1")->columnWidth(), 13.0);
}

TEST_F(clsAuxFormatTest, AccessColumnPropertiesOnlyOnTheFormSheet) {
    settings.values[setting::ApplyColumnPropertiesAccess] = "True";
    settings.values[setting::FixedColumnWidth] = 13;
    std::vector<ColumnProperties> fields = {{false, 1100}, {true, -1}, {false, -1}};
    double untouched = sheet->range("C1")->columnWidth();

    formSheet = sheet;
    clsAux(ctx).ApplyColumnLayout(*sheet->range("A1:C3"), fields);
    EXPECT_DOUBLE_EQ(sheet->range("A1")->columnWidth(), 10.0);
    EXPECT_TRUE(sheet->range("B1")->columnHidden());
    EXPECT_DOUBLE_EQ(sheet->range("C1")->columnWidth(), untouched);

    // A result sheet is not the form: the fixed width applies.
    WorksheetPtr other = book->addWorksheet();
    clsAux(ctx).ApplyColumnLayout(*other->range("A1:B2"), fields);
    EXPECT_DOUBLE_EQ(other->range("A1")->columnWidth(), 13.0);
    EXPECT_FALSE(other->range("B1")->columnHidden());
}

TEST_F(clsAuxFormatTest, FreezeTopRowFollowsTheSetting) {
    clsAux(ctx).ApplyFreezeTopRow(*sheet);
    EXPECT_EQ(sheet->frozenRows(), 1);
    EXPECT_EQ(sheet->frozenColumns(), 0);
    settings.values[setting::FreezeTopRow] = "False";
    clsAux(ctx).ApplyFreezeTopRow(*sheet);
    EXPECT_EQ(sheet->frozenRows(), 0);
}

TEST_F(clsAuxFormatTest, ListValuesAreNamed) {
    sheet->setName("Lists");
    ListRecordset rs("City", {"Delft", "Gouda", "Leiden"});
    EXPECT_EQ(clsAux(ctx).WriteListToSheet(*sheet, rs, "lst_1", 5, 2), 3);
    EXPECT_EQ(sheet->range("B5")->value().toString(), "City");
    EXPECT_EQ(sheet->range("B8")->value().toString(), "Leiden");
    RangePtr named = book->nameRange("lst_1");
    ASSERT_TRUE(named);
    EXPECT_EQ(named->address(), "$B$6:$B$8");
    EXPECT_EQ(named->worksheet()->name(), "Lists");
}

TEST_F(clsAuxFormatTest, EmptyListHoldsTheEmptyMarker) {
    sheet->setName("Lists sheet");
    ListRecordset rs("City", {});
    EXPECT_EQ(clsAux(ctx).WriteListToSheet(*sheet, rs, "lst_2", 10, 2), 1);
    EXPECT_EQ(sheet->range("B11")->value().toString(), "[leeg]");
    ASSERT_TRUE(sheet->range("B10")->comment());
    EXPECT_EQ(sheet->range("B10")->comment()->text(), "Geen waarde(s) aangetroffen");
    // A sheet name with a blank must be quoted in the reference, or the name would not resolve.
    RangePtr named = book->nameRange("lst_2");
    ASSERT_TRUE(named);
    EXPECT_EQ(named->address(), "$B$11");
    EXPECT_EQ(named->worksheet()->name(), "Lists sheet");
}

TEST_F(clsAuxFormatTest, MoreRecordsThanTheSheetHoldsAreRefusedWithMessage31BeforeAnythingIsWritten) {
    // 1 100 000 records: the host's bulk copy would stop at the last row and drop 51 425 of them.
    SizedRecordset rs(1'100'000);
    const NumberedError e = errorOf([&] { clsAux(ctx).WriteListToSheet(*sheet, rs, "lst_3", 1, 1); });
    EXPECT_EQ(e.number(), err::PreparedMessage);
    EXPECT_EQ(e.description(), modGlobalization::GetText(31, Variant(std::int64_t{1'100'000})));
    EXPECT_NE(e.description().find("1100000"), std::string::npos) << e.description();
    EXPECT_EQ(rs.reads, 0);
    EXPECT_TRUE(sheet->range("A1")->value().isEmpty());
    EXPECT_TRUE(sheet->range("A2")->value().isEmpty());
    EXPECT_FALSE(book->nameRange("lst_3"));

    // The controller's fill routine is not even asked.
    bool filled = false;
    ctx.fillSheetFromRecordset = [&](IWorksheet&, IAdoRecordset&, long, long) {
        filled = true;
        return 0L;
    };
    EXPECT_EQ(errorOf([&] { clsAux(ctx).WriteListToSheet(*sheet, rs, "lst_3", 1, 1); }).number(),
              err::PreparedMessage);
    EXPECT_FALSE(filled);
}

TEST_F(clsAuxFormatTest, TheRecordLimitIsTheSheetsRowsBelowOneHeaderRow) {
    const long sheetRows = sheet->allCells()->rowCount();
    ASSERT_EQ(sheetRows, 1'048'576);
    EXPECT_NO_THROW(clsAux::CheckRecordLimit(SizedRecordset(0), *sheet));
    EXPECT_NO_THROW(clsAux::CheckRecordLimit(SizedRecordset(sheetRows - 2), *sheet));
    EXPECT_EQ(errorOf([&] { clsAux::CheckRecordLimit(SizedRecordset(sheetRows - 1), *sheet); }).number(),
              err::PreparedMessage);
    EXPECT_EQ(errorOf([&] { clsAux::CheckRecordLimit(SizedRecordset(sheetRows), *sheet); }).number(),
              err::PreparedMessage);
}

TEST_F(clsAuxFormatTest, GuardProtectsTheSheetAgainAfterAnError) {
    sheet->protect(clsAux::SheetPassword(), true, true);
    try {
        HostStateGuard guard(app);
        guard.protectOnExit(sheet, clsAux::SheetPassword());
        sheet->unprotect(clsAux::SheetPassword());
        guard.quiet();
        throw NumberedError(err::ApplicationDefined, "s", "failed half-way");
    } catch (const NumberedError&) {
    }
    EXPECT_TRUE(sheet->protectContents());
    EXPECT_TRUE(app->enableEvents());
    EXPECT_TRUE(app->screenUpdating());
    EXPECT_NO_THROW(sheet->unprotect(clsAux::SheetPassword())); // protected with the add-in's password
}

} // namespace
} // namespace qv
