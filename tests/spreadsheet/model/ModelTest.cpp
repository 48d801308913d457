#include "tests/spreadsheet/support/SheetTestSupport.h"

#include "spreadsheet/io/ColumnTexts.h"
#include "spreadsheet/io/StringPool.h"

#include <algorithm>
#include <memory>
#include <set>

using namespace qv;
using namespace qv::test;

TEST(StringPoolTest, EqualTextsShareAnIdAcrossBlocksAndRehashes) {
    sheet::StringPool pool;
    std::vector<std::uint32_t> ids;
    for (int i = 0; i < 3000; ++i)
        ids.push_back(pool.intern(std::string(900, static_cast<char>('a' + i % 26)) + std::to_string(i)));
    for (int i = 0; i < 3000; ++i) {
        std::string expected = std::string(900, static_cast<char>('a' + i % 26)) + std::to_string(i);
        ASSERT_EQ(pool.get(ids[i]), expected);
        ASSERT_EQ(pool.intern(expected), ids[i]);
    }
    EXPECT_EQ(pool.intern(""), 0u);
    EXPECT_EQ(pool.get(0), "");
}

TEST(StringPoolTest, TextsLongerThanABlockAreKeptWholeBesideShortOnes) {
    sheet::StringPool pool;
    const std::uint32_t small1 = pool.intern("before");
    const std::string big(3u << 20, 'x');
    const std::string edge(1u << 20, 'e'); // exactly one block
    const std::uint32_t bigId = pool.intern(big);
    const std::uint32_t small2 = pool.intern("after");
    const std::uint32_t edgeId = pool.intern(edge);
    const std::uint32_t small3 = pool.intern("last");
    EXPECT_EQ(pool.get(small1), "before");
    EXPECT_EQ(pool.get(bigId), big);
    EXPECT_EQ(pool.get(small2), "after");
    EXPECT_EQ(pool.get(edgeId), edge);
    EXPECT_EQ(pool.get(small3), "last");
    EXPECT_EQ(pool.intern(big), bigId);
    EXPECT_GE(pool.bytesUsed(), big.size() + edge.size());
}

TEST(StringPoolTest, ACellKeepsATextOfSeveralMegabytes) {
    HostFixture h;
    std::string memo(2u << 20, 'm');
    memo += "end";
    h.sheet->cells(1, 1)->setValue(Variant(memo));
    EXPECT_EQ(h.sheet->cells(1, 1)->value().str(), memo);
    EXPECT_TRUE(h.sheet->typeInto(2, 1, memo));
    EXPECT_EQ(h.sheet->cells(2, 1)->value().str(), memo);
    TestRecordset rs({{"Memo", ado::LongVarWChar, {Variant(memo), Variant("short")}}});
    EXPECT_EQ(h.sheet->cells(3, 1)->copyFromRecordset(rs), 2);
    EXPECT_EQ(h.sheet->cells(3, 1)->value().str(), memo);
    EXPECT_EQ(h.sheet->cells(4, 1)->value().str(), "short");
}

TEST(StringPoolTest, AppendedTextsReadBackAndLeaveTheSharedTextsAlone) {
    sheet::StringPool pool;
    const std::uint32_t shared = pool.intern("shared");
    const std::string big((1u << 20) + 5, 'b');
    std::vector<std::pair<std::uint32_t, std::string>> appended;
    // Many more appended texts than slots: the index must not take them in when it grows.
    for (int i = 0; i < 50000; ++i) {
        std::string text = i % 1000 == 7 ? big : "ключ-" + std::to_string(i % 300) + "-é";
        appended.emplace_back(pool.append(text), text);
        if (i % 10 == 0) {
            const std::uint32_t id = pool.intern("shared " + std::to_string(i));
            ASSERT_EQ(pool.intern("shared " + std::to_string(i)), id);
        }
    }
    for (const auto& [id, text] : appended)
        ASSERT_EQ(pool.get(id), text);
    EXPECT_EQ(pool.intern("shared"), shared);
    // An appended text is never found by intern: interning it stores one shared copy.
    const std::uint32_t again = pool.intern("ключ-5-é");
    EXPECT_NE(again, appended[5].first);
    EXPECT_EQ(pool.intern("ключ-5-é"), again);
    EXPECT_EQ(pool.get(pool.append("")), "");
}

TEST(StringPoolTest, ACopiedColumnSharesFewValuesAndAppendsDistinctOnes) {
    sheet::StringPool pool;
    const std::size_t start = pool.size();
    sheet::ColumnTexts departments(pool);
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(pool.get(departments.store("dept " + std::to_string(i % 40))),
                  "dept " + std::to_string(i % 40));
    EXPECT_FALSE(departments.appending());
    EXPECT_EQ(pool.size() - start, 40u);

    sheet::ColumnTexts guids(pool);
    std::vector<std::uint32_t> ids;
    for (int i = 0; i < 5000; ++i)
        ids.push_back(guids.store("guid-" + std::to_string(i)));
    EXPECT_TRUE(guids.appending());
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(pool.get(ids[i]), "guid-" + std::to_string(i));
    // What the column appended is no shared text: a later cell of an equal text gets its own.
    EXPECT_EQ(pool.intern("dept 3"), departments.store("dept 3"));
    EXPECT_EQ(pool.size() - start, 40u + 5000u);
}

TEST(StringPoolTest, RoomTakenChunkByChunkGrowsTheTableGeometrically) {
    sheet::StringPool pool;
    std::set<std::size_t> sizes;
    for (int chunk = 0; chunk < 200; ++chunk) {
        pool.reserve(1000);
        for (int i = 0; i < 1000; ++i)
            pool.append("t");
        sizes.insert(pool.bytesUsed());
    }
    EXPECT_EQ(pool.size(), 200001u);
    // Each distinct size is one move of the table; a move per chunk would copy it 200 times.
    EXPECT_LE(sizes.size(), 20u);
}

TEST(StringPoolTest, SharedBytesAreKeptNotCopiedAndTextsOutsideThemAreCopied) {
    sheet::StringPool pool;
    const std::uint32_t own = pool.intern("own text"); // the pool's first block, its own
    // Only the first 14 bytes are shared; the rest is someone else's.
    const std::string source = "alphabetagammaZZZZ";
    const std::size_t shared = 14;
    std::shared_ptr<const char> bytes(new char[source.size()], std::default_delete<char[]>());
    std::copy(source.begin(), source.end(), const_cast<char*>(bytes.get()));
    EXPECT_EQ(pool.shareBlock(nullptr, 5), sheet::StringPool::NoBlock);
    EXPECT_EQ(pool.shareBlock(bytes, 0), sheet::StringPool::NoBlock);
    const std::uint32_t block = pool.shareBlock(bytes, shared);
    ASSERT_NE(block, sheet::StringPool::NoBlock);
    const std::string_view all(bytes.get(), shared);
    const std::uint32_t beta = pool.appendShared(block, all.substr(5, 4));
    const std::uint32_t gamma = pool.appendShared(block, all.substr(9));
    const std::string outside = "delta";
    const std::uint32_t delta = pool.appendShared(block, outside);
    // Running past the end of the shared bytes is no text of theirs either.
    const std::uint32_t past = pool.appendShared(block, std::string_view(bytes.get() + 11, 4));
    const char* const kept = bytes.get();
    bytes.reset(); // the pool holds them now
    EXPECT_EQ(pool.get(beta), "beta");
    EXPECT_EQ(pool.get(beta).data(), kept + 5);
    EXPECT_EQ(pool.get(gamma), "gamma");
    EXPECT_EQ(pool.get(delta), "delta");
    EXPECT_NE(pool.get(delta).data(), outside.data());
    EXPECT_EQ(pool.get(past), "mmaZ");
    EXPECT_NE(pool.get(past).data(), kept + 11);
    // A block of the pool's own is never shared: a text lying in it is copied.
    EXPECT_NE(block, 0u);
    const std::uint32_t copy = pool.appendShared(0, pool.get(own));
    EXPECT_EQ(pool.get(copy), "own text");
    EXPECT_NE(pool.get(copy).data(), pool.get(own).data());
    EXPECT_EQ(pool.get(pool.appendShared(12345, "y")), "y");
}

TEST(SheetFormatPrecedenceTest, ARectangleChangesOneAttributeOverOwnRowColumnAndPlainFormats) {
    HostFixture h;
    auto& s = *h.sheet;
    s.rows(5, 6)->setFontBold(true);
    s.columns(3, 3)->setNumberFormat("0.00");
    s.cells(10, 3)->setFillColor(0x0000FF);
    s.range("D3:D4")->setFontColor(0x00AA00);
    s.range("E8:E9")->setNumberFormat("@");
    s.range("B2:E20")->setFillColor(0x00FF00);
    s.range("B2:E20")->setLocked(false);
    for (long r = 1; r <= 21; ++r)
        for (long c = 1; c <= 6; ++c) {
            auto cell = s.cells(r, c);
            const bool inside = r >= 2 && r <= 20 && c >= 2 && c <= 5;
            SCOPED_TRACE(cell->address(false, false));
            if (inside) {
                EXPECT_EQ(cell->fillColor(), Variant(0x00FF00));
                EXPECT_EQ(cell->locked(), Variant(false));
            } else {
                EXPECT_EQ(cell->locked(), Variant(true));
                EXPECT_NE(cell->fillColor(), Variant(0x00FF00));
            }
            EXPECT_EQ(cell->fontBold(), Variant(r == 5 || r == 6));
            const std::string format = c == 3 ? "0.00" : c == 5 && (r == 8 || r == 9) ? "@" : "General";
            EXPECT_EQ(cell->numberFormat(), format);
            EXPECT_EQ(cell->fontColor(),
                      c == 4 && (r == 3 || r == 4) ? Variant(0x00AA00) : s.cells(1, 1)->fontColor());
        }
}

TEST(SheetFormatPrecedenceTest, SheetWideFormatsReachEmptyCellsButNotOwnFills) {
    HostFixture h;
    auto& s = *h.sheet;
    s.cells(3, 3)->setFillColor(0x0000FF);
    s.setStandardFillColor(0x00FF00);
    EXPECT_EQ(s.cells(3, 3)->fillColor(), Variant(0x0000FF));
    EXPECT_EQ(s.cells(500000, 200)->fillColor(), Variant(0x00FF00));
    s.allCells()->setFontColor(0x112233);
    s.cells(7, 7)->setValue(Variant("later"));
    EXPECT_EQ(s.cells(7, 7)->fontColor(), Variant(0x112233));
    EXPECT_EQ(s.cells(3, 3)->fontColor(), Variant(0x112233));
    s.range("C3")->clear();
    EXPECT_EQ(s.cells(3, 3)->fillColor(), Variant(0xFFFFFF));
    EXPECT_EQ(h.book->styles().get(0), sheet::CellStyle{}); // the default look never changes
}

TEST(CommentTest, OneCommentPerCellWithItsShapeAndRemoval) {
    HostFixture h;
    auto& s = *h.sheet;
    auto c = s.range("B1")->addComment("Field description");
    EXPECT_EQ(errorOf([&] { s.range("B1")->addComment("again"); }).number(), err::ApplicationDefined);
    c->setShapeSize(150, 40);
    c->setFontBold(true);
    c->setFillColor(0xCCFFFF);
    EXPECT_EQ(errorOf([&] { c->setShapeSize(0, 10); }).number(), err::ApplicationDefined);
    const auto& data = *s.comments().at({1, 2});
    EXPECT_DOUBLE_EQ(data.width, 150);
    EXPECT_TRUE(data.bold);
    EXPECT_EQ(data.author, "User");
    c->remove();
    EXPECT_EQ(s.range("B1")->comment(), nullptr);
    s.range("C1")->addComment("x");
    s.range("A1:D1")->clearComments();
    EXPECT_TRUE(s.comments().empty());
}

TEST(WorkbookSheetsTest, AddActivateDeleteAndCloseMoveTheActiveObjects) {
    HostFixture h;
    EventRecorder rec;
    h.app->addEventListener(&rec);
    auto second = h.book->addWorksheet(h.sheet);
    EXPECT_EQ(second->index(), 2);
    EXPECT_EQ(h.app->activeSheet(), second);
    h.sheet->activate();
    EXPECT_EQ(rec.activated, (std::vector<std::string>{"Sheet2", "Sheet1"}));
    h.app->setDisplayAlerts(false);
    h.book->deleteWorksheet(h.sheet);
    EXPECT_EQ(h.app->activeSheet(), second);
    EXPECT_EQ(h.book->worksheetCount(), 1);

    auto other = h.app->addWorkbook();
    EXPECT_EQ(other->name(), "Book2");
    EXPECT_EQ(h.app->activeWorkbook(), other);
    other->close(false);
    EXPECT_EQ(h.app->activeWorkbook(), h.book);
    EXPECT_EQ(h.app->findWorkbook("book1"), h.book);
}

TEST(WorksheetEntryTest, EnterMovesTheActiveCellInTheChosenDirection) {
    HostFixture h;
    h.app->setMoveAfterReturnDirection(xl::DirectionRight);
    h.sheet->cells(2, 2)->select();
    h.sheet->typeInto(2, 2, "a");
    EXPECT_EQ(h.app->activeCell()->address(false, false), "C2");
    h.app->setMoveAfterReturn(false);
    h.sheet->typeInto(2, 3, "b");
    EXPECT_EQ(h.app->activeCell()->address(false, false), "C2");
    EXPECT_EQ(errorOf([&] { h.app->setMoveAfterReturnDirection(42); }).number(), err::ApplicationDefined);
    // Pasting a block lands at the active cell and raises one change.
    EventRecorder rec;
    h.app->addEventListener(&rec);
    h.sheet->pasteValues({{"1", "x"}, {"2"}});
    EXPECT_EQ(h.sheet->cells(3, 3)->value(), Variant(2.0));
    ASSERT_EQ(rec.changes.size(), 1u);
    EXPECT_EQ(rec.changes[0].address, "C2:D3");
}

TEST(WorksheetEntryTest, ABlockRunningOffTheSheetIsRefusedWholeNotCutShort) {
    HostFixture h;
    EventRecorder rec;
    h.app->addEventListener(&rec);
    h.sheet->cells(sheet::MaxRow, 1)->select();
    EXPECT_EQ(errorOf([&] { h.sheet->pasteValues({{"a"}, {"b"}}); }).number(), err::ApplicationDefined);
    EXPECT_TRUE(h.sheet->cells(sheet::MaxRow, 1)->value().isEmpty());
    h.sheet->cells(1, sheet::MaxColumn)->select();
    EXPECT_EQ(errorOf([&] { h.sheet->pasteValues({{"a", "b"}}); }).number(), err::ApplicationDefined);
    EXPECT_TRUE(h.sheet->cells(1, sheet::MaxColumn)->value().isEmpty());
    EXPECT_TRUE(rec.changes.empty());
    // A block that just fits is pasted.
    h.sheet->pasteValues({{"last"}});
    EXPECT_EQ(h.sheet->cells(1, sheet::MaxColumn)->value(), Variant(std::string("last")));
}

TEST(WorksheetEntryTest, TextFormattedCellsKeepWhatIsTypedOrPastedAsText) {
    HostFixture h;
    h.sheet->range("A1:B3")->setNumberFormat("@");
    // Typed: leading zeros, a date-like entry, a formula-like entry all stay the text typed.
    EXPECT_TRUE(h.sheet->typeInto(1, 1, "0171"));
    EXPECT_EQ(h.sheet->cells(1, 1)->value(), Variant(std::string("0171")));
    EXPECT_EQ(h.sheet->cells(1, 1)->text(), "0171");
    EXPECT_TRUE(h.sheet->typeInto(2, 1, "1/2/2024"));
    EXPECT_EQ(h.sheet->cells(2, 1)->value(), Variant(std::string("1/2/2024")));
    EXPECT_TRUE(h.sheet->typeInto(3, 1, "=1+1"));
    EXPECT_EQ(h.sheet->cells(3, 1)->value(), Variant(std::string("=1+1")));
    // The apostrophe that forces text is dropped here as elsewhere, typed or given by code.
    EXPECT_TRUE(h.sheet->typeInto(2, 2, "'0099"));
    EXPECT_EQ(h.sheet->cells(2, 2)->value(), Variant(std::string("0099")));
    h.sheet->cells(3, 2)->setValue(Variant(std::string("'=A1")));
    EXPECT_EQ(h.sheet->cells(3, 2)->value(), Variant(std::string("=A1")));
    // A cell outside the text block still reads its entry.
    EXPECT_TRUE(h.sheet->typeInto(1, 3, "0171"));
    EXPECT_EQ(h.sheet->cells(1, 3)->value(), Variant(171.0));

    // Pasted: each cell by its own format.
    h.sheet->cells(1, 2)->select();
    h.sheet->pasteValues({{"0042", "0042"}, {"TRUE", "7"}});
    EXPECT_EQ(h.sheet->cells(1, 2)->value(), Variant(std::string("0042")));
    EXPECT_EQ(h.sheet->cells(1, 3)->value(), Variant(42.0));
    EXPECT_EQ(h.sheet->cells(2, 2)->value(), Variant(std::string("TRUE")));
    EXPECT_EQ(h.sheet->cells(2, 3)->value(), Variant(7.0));

    // Ctrl+Enter reads the entry as the active cell takes it.
    h.sheet->range("B3")->select();
    EXPECT_TRUE(h.sheet->fillSelection("007"));
    EXPECT_EQ(h.sheet->cells(3, 2)->value(), Variant(std::string("007")));

    // A value set by code stays what code set: a number stays a number, and a text given to a
    // text cell is not read as digits, while a cell of another format reads it.
    h.sheet->cells(2, 1)->setValue(Variant(5.0));
    EXPECT_EQ(h.sheet->cells(2, 1)->value(), Variant(5.0));
    h.sheet->cells(3, 1)->setValue(Variant(std::string("0100")));
    EXPECT_EQ(h.sheet->cells(3, 1)->value(), Variant(std::string("0100")));
    h.sheet->cells(5, 1)->setValue(Variant(std::string("0100")));
    EXPECT_EQ(h.sheet->cells(5, 1)->value(), Variant(100.0));
    VariantMatrix block(1, 3);
    for (std::size_t c = 0; c < 3; ++c)
        block.at(0, c) = Variant(std::string("0200"));
    h.sheet->cells(2, 2)->setValues(block); // B2 is a text cell, C2 and D2 are not
    EXPECT_EQ(h.sheet->cells(2, 2)->value(), Variant(std::string("0200")));
    EXPECT_EQ(h.sheet->cells(2, 3)->value(), Variant(200.0));
    EXPECT_EQ(h.sheet->cells(2, 4)->value(), Variant(200.0));
}
