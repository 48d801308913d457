#include "tests/spreadsheet/support/SheetTestSupport.h"

#include "platform/engine/IColumnarRecordset.h"
#include "spreadsheet/io/ColumnTexts.h"

#include <algorithm>
#include <deque>
#include <memory>

using namespace qv;
using namespace qv::test;

namespace {
// The same rows offered through typed runs as well; cells the typed kinds cannot say (bytes,
// errors, currency kept as Other here) go through valueAt, as with a real engine.
class TypedRecordset : public TestRecordset, public IColumnarRecordset {
  public:
    using TestRecordset::TestRecordset;
    int runs = 0;
    void readColumn(long column, long long firstRow, std::size_t count, ColumnCell* out) const override {
        ++const_cast<TypedRecordset*>(this)->runs;
        for (std::size_t i = 0; i < count; ++i) {
            Variant v = valueAt(firstRow + static_cast<long long>(i), column);
            ColumnCell& c = out[i];
            c = ColumnCell{};
            if (v.isNull())
                c.kind = ColumnCellKind::Null;
            else if (v.type() == VarType::Boolean)
                c.kind = ColumnCellKind::Bool, c.number = v.toBool() ? 1 : 0;
            else if (v.type() == VarType::Date)
                c.kind = ColumnCellKind::Date, c.number = v.toDate().value;
            else if (v.isString())
                c.kind = ColumnCellKind::Text, c.text = text(firstRow + static_cast<long long>(i), column);
            else if (v.isNumber() && v.type() != VarType::Currency)
                c.kind = ColumnCellKind::Number, c.number = v.toDouble();
            else
                c.kind = ColumnCellKind::Other;
        }
    }

  private:
    std::string_view text(long long row, long column) const {
        // A deque keeps its strings in place, so the views stay valid.
        auto& keep = const_cast<std::deque<std::string>&>(mKeep);
        keep.push_back(valueAt(row, column).str());
        return keep.back();
    }
    std::deque<std::string> mKeep;
};

// More rows than one typed run, with every kind of cell and repeated texts.
std::vector<TestRecordset::Column> mixedColumns(long rows) {
    std::vector<TestRecordset::Column> cols{
        {"Id", ado::Integer, {}}, {"Name", ado::VarWChar, {}}, {"Mixed", ado::Variant, {}}};
    for (long r = 0; r < rows; ++r) {
        cols[0].values.push_back(r % 97 == 0 ? Variant::null()
                                             : Variant::longValue(static_cast<std::int32_t>(r)));
        cols[1].values.push_back(r % 5 == 0 ? Variant("") : Variant("name " + std::to_string(r % 1000)));
        switch (r % 7) {
        case 0:
            cols[2].values.push_back(Variant(OleDate{40000.0 + r}));
            break;
        case 1:
            cols[2].values.push_back(Variant(r % 2 == 0));
            break;
        case 2:
            cols[2].values.push_back(Variant(Currency::fromDouble(r / 4.0)));
            break;
        case 3:
            cols[2].values.push_back(Variant(Binary{1, 2, 3}));
            break;
        case 4:
            cols[2].values.push_back(Variant::null());
            break;
        case 5:
            cols[2].values.push_back(Variant(ErrorValue{2042}));
            break;
        default:
            cols[2].values.push_back(Variant(r * 0.5));
            break;
        }
    }
    return cols;
}
TestRecordset orders() {
    return TestRecordset({
        {"OrderID", ado::Integer, {Variant(1), Variant(2), Variant(3)}},
        {"Name", ado::VarWChar, {Variant("Zoë"), Variant::null(), Variant("")}},
        {"Amount", ado::Currency, {Variant(Currency::fromDouble(1.5)), Variant(2.25), Variant::null()}},
        {"Date", ado::DBTimeStamp, {Variant(OleDate{45000.5}), Variant::null(), Variant(OleDate{1.0})}},
        {"Shipped", ado::Boolean, {Variant(true), Variant(false), Variant::null()}},
        {"Photo", ado::LongVarBinary, {Variant(Binary{1, 2}), Variant::null(), Variant::null()}},
    });
}
} // namespace

TEST(RangeCopyFromRecordsetTest, CopiesEveryTypeAndLeavesNullsEmpty) {
    HostFixture h;
    auto rs = orders();
    EXPECT_EQ(h.sheet->cells(2, 1)->copyFromRecordset(rs), 3);
    EXPECT_TRUE(rs.eof());
    auto& s = *h.sheet;
    EXPECT_EQ(s.cells(2, 1)->value(), Variant(1.0));
    EXPECT_EQ(s.cells(2, 2)->value(), Variant("Zoë"));
    EXPECT_TRUE(s.cells(3, 2)->value().isEmpty());
    EXPECT_TRUE(s.cells(4, 2)->value().isEmpty());
    EXPECT_EQ(s.cells(2, 3)->value(), Variant(1.5));
    EXPECT_TRUE(s.cells(4, 3)->value().isEmpty());
    EXPECT_EQ(s.cells(2, 4)->value(), Variant(OleDate{45000.5}));
    EXPECT_EQ(s.cells(2, 5)->value(), Variant(true));
    EXPECT_EQ(s.cells(3, 5)->value(), Variant(false));
    EXPECT_TRUE(s.cells(2, 6)->value().isEmpty());
    EXPECT_EQ(s.usedRange()->address(), "$A$2:$E$4");
    // The same text twice shares one stored string.
    auto before = h.book->strings().size();
    s.cells(10, 1)->setValue(Variant("Zoë"));
    EXPECT_EQ(h.book->strings().size(), before);
}

TEST(RangeCopyFromRecordsetTest, CopiesTheRemainingRowsWithinTheLimits) {
    HostFixture h;
    auto rs = orders();
    rs.moveNext();
    EXPECT_EQ(h.sheet->cells(1, 1)->copyFromRecordset(rs, 1, 2), 1);
    EXPECT_EQ(h.sheet->cells(1, 1)->value(), Variant(2.0));
    EXPECT_TRUE(h.sheet->cells(2, 1)->value().isEmpty());
    EXPECT_TRUE(h.sheet->cells(1, 3)->value().isEmpty());
    EXPECT_FALSE(rs.eof());
    rs.moveNext();
    rs.moveNext();
    EXPECT_EQ(h.sheet->cells(5, 1)->copyFromRecordset(rs), 0);
}

TEST(RangeCopyFromRecordsetTest, LockedTargetOnAProtectedSheetIsRefusedWhole) {
    HostFixture h;
    auto rs = orders();
    h.sheet->protect("pw");
    EXPECT_EQ(errorOf([&] { h.sheet->cells(1, 1)->copyFromRecordset(rs); }).number(),
              err::ApplicationDefined);
    EXPECT_FALSE(h.sheet->data().usedExtent().has_value());
    EXPECT_FALSE(rs.eof());
}

TEST(WorkbookSavedTest, EveryChangeClearsSavedAndAFailedSaveChangesNothing) {
    HostFixture h;
    EXPECT_TRUE(h.book->saved());
    h.sheet->cells(1, 1)->setFontBold(true);
    EXPECT_FALSE(h.book->saved());
    h.book->setSaved(true);
    h.sheet->typeInto(1, 1, "x");
    EXPECT_FALSE(h.book->saved());
    h.book->setSaved(true);
    h.book->setBuiltinProperty("Revision Number", Variant("12"));
    EXPECT_FALSE(h.book->saved());
    EXPECT_EQ(h.book->builtinProperty("revision number"), Variant("12"));
    EXPECT_EQ(errorOf([&] { h.book->builtinProperty("No Such Property"); }).number(),
              err::InvalidProcedureCall);
    EXPECT_TRUE(h.book->customProperty("Edition").isEmpty());

    // The writer refuses (here: no writer for the format); name, path and Saved stay.
    auto e = errorOf([&] { h.book->saveAs("/nonexistent-dir/qv.unknownformat", 12345); });
    EXPECT_EQ(e.number(), err::ApplicationDefined);
    EXPECT_EQ(h.book->name(), "Book1");
    EXPECT_TRUE(h.book->path().empty());
    EXPECT_FALSE(h.book->saved());
}

TEST(RangeCopyFromRecordsetTest, TypedRunsGiveTheSameCellsAsValueAt) {
    const long rows = 9000; // three typed runs, the last one short
    HostFixture typedHost, plainHost;
    TypedRecordset typed(mixedColumns(rows));
    TestRecordset plain(mixedColumns(rows));
    // From the cursor's row, limited in rows: the runs start mid-record-set.
    for (int i = 0; i < 3; ++i)
        typed.moveNext(), plain.moveNext();
    EXPECT_EQ(typedHost.sheet->cells(3, 2)->copyFromRecordset(typed, rows - 10), rows - 10);
    EXPECT_EQ(plainHost.sheet->cells(3, 2)->copyFromRecordset(plain, rows - 10), rows - 10);
    EXPECT_GE(typed.runs, 9);
    EXPECT_EQ(typed.absolutePosition(), plain.absolutePosition());
    const auto& a = typedHost.sheet->data();
    const auto& b = plainHost.sheet->data();
    for (long c = 1; c <= 5; ++c)
        for (long r = 1; r <= rows + 3; ++r)
            ASSERT_EQ(a.value(r, c), b.value(r, c)) << "row " << r << ", column " << c;
    EXPECT_EQ(typedHost.book->strings().size(), plainHost.book->strings().size());
    EXPECT_EQ(a.value(3, 2), Variant(3.0));
    EXPECT_TRUE(a.value(97, 2).isEmpty()); // a null number
    EXPECT_EQ(a.value(4, 2), Variant(4.0));
    EXPECT_EQ(a.value(4, 3), Variant("name 4"));
    EXPECT_TRUE(a.value(5, 3).isEmpty()); // row 5 of the record set: an empty text stays empty
}

// A single in a cell is the number a person typed: 0.05 and not 0.0500000007450581, so every
// writer and the formula bar show it as typed, and writing it back narrows to the same single.
TEST(RangeCopyFromRecordsetTest, SinglesKeepTheirDecimalAndNarrowBackToTheSameSingle) {
    HostFixture h;
    const float singles[] = {0.05f, -1.1f, 1.0e-10f, 16777217.0f, 3.4028235e38f, 0.0f};
    long row = 1;
    for (float f : singles) {
        h.sheet->cells(row, 1)->setValue(Variant::single(f));
        const double stored = h.sheet->cells(row, 1)->value().toDouble();
        EXPECT_EQ(static_cast<float>(stored), f) << f;
        ++row;
    }
    EXPECT_EQ(h.sheet->cells(1, 1)->value().toDouble(), 0.05);
    EXPECT_EQ(h.sheet->cells(2, 1)->value().toDouble(), -1.1);
}

// Distinct texts are stored without a look-up and a column of few values shares its texts; both
// read back whole, beside nulls, dates, a text longer than a block and non-ASCII text.
TEST(RangeCopyFromRecordsetTest, DistinctAndRepeatedTextColumnsReadBackWhole) {
    const long rows = 5000;
    std::vector<TestRecordset::Column> cols{
        {"Code", ado::VarWChar, {}}, {"Region", ado::VarWChar, {}}, {"When", ado::Date, {}}};
    const std::string memo((1u << 20) + 3, 'm');
    for (long r = 0; r < rows; ++r) {
        if (r == 2000)
            cols[0].values.emplace_back(memo);
        else if (r % 61 == 0)
            cols[0].values.push_back(Variant::null());
        else
            cols[0].values.emplace_back("Ærø-" + std::to_string(r) + "-日本");
        cols[1].values.emplace_back("region " + std::to_string(r % 4));
        cols[2].values.emplace_back(OleDate{45000.5 + static_cast<double>(r)});
    }
    HostFixture h;
    TypedRecordset rs(cols);
    const std::size_t before = h.book->strings().size();
    ASSERT_EQ(h.sheet->cells(2, 1)->copyFromRecordset(rs), rows);
    const auto& d = h.sheet->data();
    for (long r = 0; r < rows; ++r) {
        const Variant& code = cols[0].values[static_cast<std::size_t>(r)];
        if (code.isNull())
            ASSERT_TRUE(d.value(r + 2, 1).isEmpty()) << r;
        else
            ASSERT_EQ(d.value(r + 2, 1), code) << r;
        ASSERT_EQ(d.value(r + 2, 2), Variant("region " + std::to_string(r % 4))) << r;
        ASSERT_EQ(d.value(r + 2, 3), Variant(OleDate{45000.5 + r})) << r;
    }
    // One entry per distinct code, four for the regions.
    const std::size_t codes = static_cast<std::size_t>(rows - (rows + 60) / 61);
    EXPECT_EQ(h.book->strings().size() - before, codes + 4);
    // A cell typed later with a copied text is that text, whatever its storage.
    h.sheet->cells(2, 5)->setValue(Variant("region 1"));
    EXPECT_EQ(h.sheet->cells(2, 5)->value(), h.sheet->cells(3, 2)->value());
}

namespace {
// One text column whose texts lie in one shared buffer, as an engine's client-side cursor keeps
// them.
class ArenaRecordset : public TestRecordset, public IColumnarRecordset {
  public:
    explicit ArenaRecordset(const std::vector<std::string>& texts)
        : TestRecordset({{"Code", ado::VarWChar, {}}}) {
        std::string all;
        for (const auto& t : texts)
            all += t, mEnds.push_back(all.size());
        std::shared_ptr<char> bytes(new char[all.size()], std::default_delete<char[]>());
        std::copy(all.begin(), all.end(), bytes.get());
        mBytes = std::move(bytes);
        mSize = all.size();
        mRows = static_cast<long long>(texts.size());
    }
    long long recordCount() const override { return mRows; }
    Variant valueAt(long long row, long) const override { return Variant(view(row)); }
    void readColumn(long, long long firstRow, std::size_t count, ColumnCell* out) const override {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = ColumnCell{ColumnCellKind::Text, 0, view(firstRow + static_cast<long long>(i))};
    }
    ColumnTextStorage sharedText(long) const override { return {mBytes, mSize}; }
    const char* data() const { return mBytes.get(); }

  private:
    std::string_view view(long long row) const {
        const std::size_t begin = row == 0 ? 0 : mEnds[static_cast<std::size_t>(row - 1)];
        return {mBytes.get() + begin, mEnds[static_cast<std::size_t>(row)] - begin};
    }
    std::shared_ptr<const char> mBytes;
    std::size_t mSize = 0;
    std::vector<std::size_t> mEnds;
    long long mRows = 0;
};
} // namespace

// A distinct text column whose record set shares its bytes is kept where it lies: the cells read
// the record set's bytes, which outlive the record set, and nothing was copied.
TEST(RangeCopyFromRecordsetTest, DistinctTextsOfASharingRecordSetAreKeptWhereTheyLie) {
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i)
        texts.push_back("ключ " + std::to_string(i * 7919) + (i % 3 == 0 ? " ✓" : ""));
    HostFixture h;
    auto rs = std::make_unique<ArenaRecordset>(texts);
    const char* const bytes = rs->data();
    std::size_t size = 0;
    for (const auto& t : texts)
        size += t.size();
    ASSERT_EQ(h.sheet->cells(2, 1)->copyFromRecordset(*rs), 3000);
    rs.reset();
    const auto* column = h.sheet->data().findColumn(1);
    ASSERT_NE(column, nullptr);
    int kept = 0;
    for (long r = 0; r < 3000; ++r) {
        ASSERT_EQ(h.sheet->cells(r + 2, 1)->value(), Variant(texts[static_cast<std::size_t>(r)])) << r;
        const auto text = h.book->strings().get(static_cast<std::uint32_t>(column->payload(r + 2)));
        kept += text.data() >= bytes && text.data() + text.size() <= bytes + size;
    }
    // The first texts decide the column is distinct; every text after them stays in place.
    EXPECT_EQ(kept, 3000 - static_cast<int>(sheet::ColumnTexts::Sample));
}

// A copy in parts (a caller reporting progress between them) takes the pool's room for the whole
// record set at its first part; every part still reads back whole, and the pool keeps one entry
// per copied text.
TEST(RangeCopyFromRecordsetTest, DistinctTextsCopiedInPartsReadBackWhole) {
    std::vector<std::string> texts;
    for (int i = 0; i < 7000; ++i)
        texts.push_back(i % 5 == 0 ? std::string(300, static_cast<char>('a' + i % 26)) + std::to_string(i)
                                   : "Å-" + std::to_string(i) + "-€");
    HostFixture h;
    ArenaRecordset rs(texts);
    const std::size_t before = h.book->strings().size();
    long done = 0;
    while (done < 7000) {
        const long copied = h.sheet->cells(done + 2, 1)->copyFromRecordset(rs, 2500);
        ASSERT_GT(copied, 0);
        done += copied;
    }
    EXPECT_EQ(done, 7000);
    EXPECT_TRUE(rs.eof());
    for (long r = 0; r < 7000; ++r)
        ASSERT_EQ(h.sheet->cells(r + 2, 1)->value(), Variant(texts[static_cast<std::size_t>(r)])) << r;
    EXPECT_EQ(h.book->strings().size() - before, 7000u);
}
