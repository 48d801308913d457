// Writing a record set into a sheet: header, bulk copy, rounding, alignment, the database's
// number formats on the form sheet only, the record limit, and failures of the copy.
#include "FormFixture.h"

#include "form/clsMatrix.h"
#include "platform/NumberedError.h"
#include "platform/engine/AdoConstants.h"
#include "platform/host/HostConstants.h"

#include <gtest/gtest.h>

#include <cfenv>

namespace qv::test {
namespace {

// Rows held in memory; a value may be set to fail when the copy reads it.
class MemoryRecordset : public IAdoRecordset {
  public:
    struct Column {
        std::string name;
        int type;
    };
    std::vector<Column> columns;
    std::vector<std::vector<Variant>> rows;
    long long reportedCount = -1; // when set, the count the record set claims
    long long failAtRow = -1;

    class Field : public IAdoField {
      public:
        Field(const MemoryRecordset& rs, long i) : mRs(rs), mI(i) {}
        std::string name() const override { return mRs.columns[static_cast<std::size_t>(mI)].name; }
        Variant value() const override { return mRs.valueAt(mRs.mPos, mI); }
        int type() const override { return mRs.columns[static_cast<std::size_t>(mI)].type; }
        long definedSize() const override { return 0; }

      private:
        const MemoryRecordset& mRs;
        long mI;
    };

    int state() const override { return ado::StateOpen; }
    void close() override {}
    long long recordCount() const override {
        return reportedCount >= 0 ? reportedCount : static_cast<long long>(rows.size());
    }
    bool eof() const override { return mPos >= recordCount(); }
    bool bof() const override { return mPos == 0 && rows.empty(); }
    void moveFirst() override { mPos = 0; }
    void moveNext() override { ++mPos; }
    long long absolutePosition() const override { return eof() ? 0 : mPos + 1; }
    long fieldCount() const override { return static_cast<long>(columns.size()); }
    std::shared_ptr<IAdoField> field(long index) const override {
        return std::make_shared<Field>(*this, index);
    }
    std::shared_ptr<IAdoField> field(const std::string& name) const override {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i].name == name) return std::make_shared<Field>(*this, static_cast<long>(i));
        throw NumberedError(3265, "rs", "Item not found in this collection");
    }
    Variant valueAt(long long row, long column) const override {
        if (row == failAtRow)
            throw NumberedError(3021, "rs",
                                "Either BOF or EOF is True, or the current record has been deleted");
        if (row >= static_cast<long long>(rows.size())) return Variant();
        return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }

  private:
    long long mPos = 0;
};

class SheetFillTest : public ::testing::Test {
  protected:
    void SetUp() override {
        modGlobalization::SetCountryCode(1);
        app = sheet::Application::create();
        book = app->addWorkbook();
        target = book->worksheet(1L);
        rs.columns = {{"Id", ado::Integer}, {"Name", ado::VarWChar}, {"Weight", ado::Double}};
    }
    RangePtr fill(long row = 1, long column = 1) {
        return modSheetFill::FillSheetFromRecordset(*target, rs, static_cast<std::int32_t>(row),
                                                    static_cast<std::int16_t>(column));
    }

    std::shared_ptr<sheet::Application> app;
    WorkbookPtr book;
    WorksheetPtr target;
    MemoryRecordset rs;
};

TEST_F(SheetFillTest, EmptyRecordsetWritesTheHeaderOnly) {
    RangePtr data = fill();
    EXPECT_EQ(data->address(), "$A$1:$C$1");
    EXPECT_EQ(target->range("B1")->value(), Variant("Name"));
    EXPECT_TRUE(target->range("A2")->value().isEmpty());
    EXPECT_EQ(target->range("B1")->horizontalAlignment(), xl::AlignGeneral);
}

TEST_F(SheetFillTest, RecordsGoBelowTheHeaderAtTheGivenCell) {
    rs.rows = {{Variant(1), Variant("Ann"), Variant(1.23456789)},
               {Variant(2), Variant::null(), Variant(2.5)}};
    RangePtr data = fill(3, 2);
    EXPECT_EQ(data->address(), "$B$4:$D$5");
    EXPECT_EQ(target->range("B3")->value(), Variant("Id"));
    EXPECT_EQ(target->range("C4")->value(), Variant("Ann"));
    EXPECT_TRUE(target->range("C5")->value().isEmpty());
    // Floating values are rounded to five decimals; text is left-aligned, numbers are not.
    EXPECT_DOUBLE_EQ(target->range("D4")->value().toDouble(), 1.23457);
    EXPECT_EQ(target->range("C4")->horizontalAlignment(), xl::AlignLeft);
    EXPECT_NE(target->range("B4")->horizontalAlignment(), xl::AlignLeft);
    // Not on the form sheet: no database formats.
    EXPECT_EQ(target->range("D4")->numberFormat(), "General");
}

TEST_F(SheetFillTest, RoundingGoesHalfToEvenAndLeavesOtherValues) {
    rs.rows = {{Variant(1), Variant("a"), Variant(0.125)},
               {Variant(2), Variant("b"), Variant("=1+1")},
               {Variant(3), Variant("c"), Variant::null()}};
    fill();
    RangePtr weights = target->range("C2:C4");
    VariantMatrix r = modSheetFill::RoundColumnValues(*weights, 2);
    EXPECT_DOUBLE_EQ(r.at(0, 0).toDouble(), 0.12);
    EXPECT_EQ(r.at(1, 0), Variant("=1+1"));
    EXPECT_TRUE(r.at(2, 0).isEmpty());
    // A text in a floating column stays text when the column is written back rounded.
    rs.rows[0][2] = Variant(1.234567);
    fill();
    EXPECT_EQ(target->range("C3")->formula(), "=1+1");
    EXPECT_EQ(target->range("C3")->value(), Variant("=1+1"));
}

TEST_F(SheetFillTest, FloatingColumnRoundsItsNumbersAndKeepsDatesFlagsErrorsAndTexts) {
    rs.rows = {{Variant(1), Variant("a"), Variant(1.000004)},
               {Variant(2), Variant("b"), Variant(OleDate{45000.123456789})},
               {Variant(3), Variant("c"), Variant(true)},
               {Variant(4), Variant("d"), Variant(ErrorValue{2042})},
               {Variant(5), Variant("e"), Variant("0.1234567")},
               {Variant(6), Variant("f"), Variant(-2.0000051)},
               {Variant(7), Variant("g"), Variant::null()}};
    fill();
    EXPECT_EQ(target->range("C2")->value(), Variant(1.0));
    EXPECT_EQ(target->range("C3")->value(), Variant(OleDate{45000.123456789})); // to the second
    EXPECT_EQ(target->range("C4")->value(), Variant(true));
    EXPECT_EQ(target->range("C5")->value(), Variant(ErrorValue{2042}));
    EXPECT_EQ(target->range("C6")->value(), Variant("0.1234567"));
    EXPECT_DOUBLE_EQ(target->range("C7")->value().toDouble(), -2.00001);
    EXPECT_TRUE(target->range("C8")->value().isEmpty());
    // The integers beside it are no floating column and stay whole.
    EXPECT_EQ(target->range("A7")->value(), Variant(6.0));
}

TEST_F(SheetFillTest, NamesAreWrittenAsLiteralText) {
    rs.columns = {{"=SUM(A1)", ado::VarWChar}, {"12", ado::VarWChar}, {"'quoted", ado::VarWChar}};
    fill();
    EXPECT_EQ(target->range("A1")->value(), Variant("=SUM(A1)"));
    EXPECT_EQ(target->range("B1")->value(), Variant("12"));
    EXPECT_EQ(target->range("C1")->value(), Variant("'quoted"));
}

TEST_F(SheetFillTest, TooManyRecordsAreRefusedBeforeAnythingIsWritten) {
    rs.reportedCount = 1048575;
    try {
        fill();
        FAIL() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::PreparedMessage);
        EXPECT_NE(e.description().find("Number of records: 1048575"), std::string::npos);
    }
    EXPECT_TRUE(target->range("A1")->value().isEmpty());
}

TEST_F(SheetFillTest, AFailingCopyIsRaisedNotIgnored) {
    rs.rows = {{Variant(1), Variant("a"), Variant(1.0)}, {Variant(2), Variant("b"), Variant(2.0)}};
    rs.failAtRow = 1;
    try {
        fill();
        FAIL() << "the failure was swallowed";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 3021);
    }
}

TEST_F(SheetFillTest, AValueTheSheetCannotHoldBecomesAnEmptyCell) {
    rs.columns = {{"Id", ado::Integer}, {"Blob", ado::LongVarBinary}};
    rs.rows = {{Variant(1), Variant(Binary{1, 2, 3})}, {Variant(2), Variant::null()}};
    RangePtr data = fill();
    EXPECT_EQ(data->address(), "$A$2:$B$3");
    EXPECT_TRUE(target->range("B2")->value().isEmpty());
    EXPECT_EQ(target->range("A3")->value().toInt64(), 2);
}

TEST_F(SheetFillTest, TheWorkbooksSavedFlagIsKept) {
    rs.rows = {{Variant(1), Variant("a"), Variant(1.5)}};
    book->setSaved(true);
    fill();
    EXPECT_TRUE(book->saved());
    book->setSaved(false);
    fill();
    EXPECT_FALSE(book->saved());
}

TEST_F(SheetFillTest, FloatingColumnsOfMoreThanHalfASheetAreRoundedToTheEnd) {
    rs.columns = {{"Weight", ado::Double}};
    const long n = 600000;
    rs.rows.assign(static_cast<std::size_t>(n), {Variant(1.0)});
    rs.rows.back() = {Variant(2.123456789)};
    RangePtr data = fill();
    EXPECT_EQ(data->rowCount(), n);
    EXPECT_DOUBLE_EQ(target->cells(n + 1, 1)->value().toDouble(), 2.12346);
}

TEST_F(SheetFillTest, ChunkedFillReportsProgressAndStopsOnCancel) {
    for (int i = 0; i < 200000; ++i)
        rs.rows.push_back({Variant(i), Variant("n"), Variant(0.5)});
    CancellingProgress progress;
    progress.cancelAfter = 2;
    try {
        modSheetFill::FillSheetFromRecordset(*target, rs, 1, 1, {}, &progress);
        FAIL() << "no cancel";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::Cancelled);
    }
    EXPECT_EQ(progress.reports, 2);
    EXPECT_LT(progress.fractions.back(), 1.0);
}

TEST(AccessNumberFormatTest, FormatPropertyAndTypeGiveTheHostsFormat) {
    struct Row {
        const char* format;
        int type;
        const char* expected;
    };
    const Row rows[] = {
        {"", ado::Currency, "$ #,##0.00_-"},
        {"", ado::DBTimeStamp, "d/m/yyyy h:mm:ss"},
        {"", ado::Double, ""},
        {"Valuta", ado::Double, "$ #,##0.00_-"},
        {"Standard", ado::Double, "style:Comma"},
        {"Percent", ado::Double, "style:Percent"},
        {"General Date", ado::DBTimeStamp, "d/m/yyyy h:mm:ss"},
        {"Long Date", ado::DBTimeStamp, "dddd d mmmm yyyy"},
        {"Medium Date", ado::DBTimeStamp, "dd/mmm/yy"},
        {"Short Date", ado::DBTimeStamp, "d/m/yyyy"},
        {"Long Time", ado::DBTimeStamp, "h:mm:ss"},
        {"Medium Time", ado::DBTimeStamp, "h:mm"},
        {"Short Time", ado::DBTimeStamp, "h:mm"},
        {"\xE2\x82\xAC #,##0", ado::Currency, "\xE2\x82\xAC #,##0.00_-"},
        {"\xC2\xA3", ado::Currency, "\xC2\xA3 #,##0.00_-"},
        {"\xC2\xA5x", ado::Currency, "\xC2\xA5 #,##0.00_-"},
        {"$#,##0.00", ado::Currency, "[$$-409] #,##0.00_-"},
        {"standard", ado::Double, ""}, // names compare exactly
        {">", ado::VarWChar, ""},
        {"Fixed", ado::Double, ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(modSheetFill::AccessNumberFormat(r.format, r.type), r.expected)
            << r.format << " / " << r.type;
}

TEST(LargeLoadWarningTest, CellCountBeyond32BitsStillAsks) {
    // 1,000,000 records of 4,295 fields: the count overflows 32 bits to a small number.
    MemoryRecordset rs;
    rs.reportedCount = 1000000;
    for (int i = 0; i < 4295; ++i)
        rs.columns.push_back({"F" + std::to_string(i), ado::Integer});
    FakeSettings settings;
    ScriptedDialogs dialogs;
    dialogs.answers.push_back(xl::AnswerNo);
    AuxContext c;
    c.settings = &settings;
    c.dialogs = &dialogs;
    clsAux aux(std::move(c));
    EXPECT_TRUE(aux.CancelLargeLoad(rs));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_NE(dialogs.boxes[0].text.find("It could take some time"), std::string::npos);
}

// The form sheet gets the captions and the database's formats; a result sheet filled from the
// same rows gets rounding and alignment only.
TEST(FormSheetFillTest, CaptionsAndFormatsOnTheFormSheetOnly) {
    TempFolder folder;
    const std::string path = folder.file("fmt.sqlite");
    RunSql(path,
           "CREATE TABLE T (Id INTEGER PRIMARY KEY, Price CURRENCY, At DATETIME, Day DATETIME, Pct DOUBLE, "
           "Euro DOUBLE, Name TEXT(10));"
           "INSERT INTO T VALUES (1, 12.5, '2024-03-01 10:20:30', '2024-03-02 00:00:00', 0.25, 3.333333333, "
           "'x');" +
               PropertySql("T", "Day", "Format", "Short Date") +
               PropertySql("T", "Pct", "Format", "Percent") +
               PropertySql("T", "Euro", "Format", "\xE2\x82\xAC#,##0.00") +
               PropertySql("T", "Name", "Caption", "Naam"));
    FormWorld f(path);
    f.ShowTable("T");
    EXPECT_EQ(f.formSheet->range("B2")->numberFormat(), "$ #,##0.00_-");
    EXPECT_EQ(f.formSheet->range("C2")->numberFormat(), "d/m/yyyy h:mm:ss");
    EXPECT_EQ(f.formSheet->range("D2")->numberFormat(), "d/m/yyyy");
    EXPECT_EQ(f.formSheet->range("F2")->numberFormat(), "\xE2\x82\xAC #,##0.00_-");
    EXPECT_DOUBLE_EQ(f.formSheet->range("F2")->value().toDouble(), 3.33333);
    EXPECT_EQ(f.formSheet->range("G1")->value(), Variant("Naam"));
    EXPECT_EQ(f.formSheet->range("C2")->text(), "1/3/2024 10:20:30");

    f.book->unprotectStructure(clsAux::SheetPassword());
    WorksheetPtr result = f.book->addWorksheet();
    AdoRecordsetPtr rs = f.ds->GetRecordSet("SELECT * FROM T", true);
    RangePtr data = modSheetFill::FillSheetFromRecordset(
        *result, *rs, 1, 1, modSheetFill::FormFields{f.form->Sheet(), f.form->Matrix()});
    EXPECT_EQ(data->address(), "$A$2:$G$2");
    EXPECT_EQ(result->range("G1")->value(), Variant("Name"));
    EXPECT_EQ(result->range("D2")->numberFormat(), "General");
    EXPECT_DOUBLE_EQ(result->range("F2")->value().toDouble(), 3.33333);
    EXPECT_EQ(result->range("G2")->horizontalAlignment(), xl::AlignLeft);
}

TEST_F(SheetFillTest, RoundingHoldsTheNearestModeOnlyWhileItRounds) {
    rs.rows = {{Variant(1), Variant("a"), Variant(2.5)},
               {Variant(2), Variant("b"), Variant(3.5)},
               {Variant(3), Variant("c"), Variant(-2.5)}};
    fill();
    const int before = std::fegetround();
    ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
    VariantMatrix r = modSheetFill::RoundColumnValues(*target->range("C2:C4"), 0);
    const int during = std::fegetround();
    std::fesetround(before);
    EXPECT_EQ(during, FE_UPWARD);
    EXPECT_DOUBLE_EQ(r.at(0, 0).toDouble(), 2.0);
    EXPECT_DOUBLE_EQ(r.at(1, 0).toDouble(), 4.0);
    EXPECT_DOUBLE_EQ(r.at(2, 0).toDouble(), -2.0);
}

} // namespace
} // namespace qv::test
