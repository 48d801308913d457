#include "tests/spreadsheet/support/SheetTestSupport.h"

#include "spreadsheet/validation/ValidationCheck.h"

using namespace qv;
using namespace qv::test;

TEST(EntryValidationTest, StopRuleRefusesWithItsTitleAndMessageAndStoresNothing) {
    HostFixture h;
    auto v = h.sheet->range("B2:B100")->validation();
    v->add(xl::ValidationType::WholeNumber, xl::ValidationAlert::Stop, xl::ValidationOperator::Greater,
           "-100000000");
    v->setErrorTitle("Invalid input");
    v->setErrorMessage("Enter an integer");
    h.sheet->cells(5, 2)->setValue(Variant(3.0));

    auto e = errorOf([&] { h.sheet->typeInto(5, 2, "abc"); });
    EXPECT_EQ(e.number(), err::ApplicationDefined);
    EXPECT_EQ(e.source(), "Invalid input");
    EXPECT_EQ(e.description(), "Enter an integer");
    EXPECT_EQ(h.sheet->cells(5, 2)->value(), Variant(3.0));
    EXPECT_EQ(errorOf([&] { h.sheet->typeInto(5, 2, "2.5"); }).number(), err::ApplicationDefined);
    EXPECT_EQ(errorOf([&] { h.sheet->typeInto(5, 2, "-100000000"); }).number(), err::ApplicationDefined);
    EXPECT_TRUE(h.sheet->typeInto(5, 2, "-99999999"));
    EXPECT_EQ(h.sheet->cells(5, 2)->value(), Variant(-99999999.0));
    // Outside the rule's cells anything goes.
    EXPECT_TRUE(h.sheet->typeInto(101, 2, "abc"));
}

TEST(EntryValidationTest, ListAcceptsOnlyItsValuesFromLiteralsAndNamedCells) {
    HostFixture h;
    h.sheet->cells(1, 1)->validation()->add(xl::ValidationType::List, xl::ValidationAlert::Stop,
                                            xl::ValidationOperator::Between, "red,green, blue");
    EXPECT_TRUE(h.sheet->typeInto(1, 1, "Green"));
    EXPECT_TRUE(h.sheet->typeInto(1, 1, "blue"));
    EXPECT_EQ(errorOf([&] { h.sheet->typeInto(1, 1, "yellow"); }).number(), err::ApplicationDefined);

    auto lists = std::dynamic_pointer_cast<sheet::Worksheet>(h.book->addWorksheet());
    lists->setName("Lists");
    lists->cells(3, 2)->setValue(Variant(true));
    lists->cells(4, 2)->setValue(Variant(false));
    h.book->addName("lst_Boolean", "=Lists!R3C2:R4C2");
    h.sheet->columns(3, 3)->validation()->add(xl::ValidationType::List, xl::ValidationAlert::Stop,
                                              xl::ValidationOperator::Between, "=lst_Boolean");
    EXPECT_TRUE(h.sheet->typeInto(7, 3, "TRUE"));
    const Variant accepted = h.sheet->cells(7, 3)->value();
    EXPECT_FALSE(accepted.isEmpty());
    EXPECT_EQ(errorOf([&] { h.sheet->typeInto(7, 3, "maybe"); }).number(), err::ApplicationDefined);
    EXPECT_EQ(h.sheet->cells(7, 3)->value(), accepted);
    // A list whose name no longer resolves accepts nothing.
    h.book->deleteName("lst_Boolean");
    EXPECT_EQ(errorOf([&] { h.sheet->typeInto(8, 3, "TRUE"); }).number(), err::ApplicationDefined);
}

TEST(EntryValidationTest, WarningAsksAndKeepsTheEntryOnlyOnYes) {
    HostFixture h;
    auto v = h.sheet->range("A2:A10")->validation();
    v->add(xl::ValidationType::TextLength, xl::ValidationAlert::Warning, xl::ValidationOperator::LessEqual,
           "5");
    v->setErrorTitle("Text is too long");
    v->setErrorMessage("At most 5 characters");

    h.dialogs.answers = {xl::AnswerNo};
    EXPECT_FALSE(h.sheet->typeInto(2, 1, "toolong"));
    EXPECT_TRUE(h.sheet->cells(2, 1)->value().isEmpty());
    ASSERT_EQ(h.dialogs.boxes.size(), 1u);
    EXPECT_EQ(h.dialogs.boxes[0].title, "Text is too long");
    EXPECT_NE(h.dialogs.boxes[0].text.find("At most 5 characters"), std::string::npos);

    h.dialogs.answers = {xl::AnswerYes};
    EXPECT_TRUE(h.sheet->typeInto(2, 1, "toolong"));
    EXPECT_EQ(h.sheet->cells(2, 1)->value(), Variant("toolong"));
    // Short enough: no question at all.
    EXPECT_TRUE(h.sheet->typeInto(3, 1, "ok"));
    EXPECT_EQ(h.dialogs.boxes.size(), 2u);
}

TEST(EntryValidationTest, AddingOverAnExistingRuleIsRefusedAndPartialChangesSplitTheRule) {
    HostFixture h;
    auto column = h.sheet->range("D1:D10")->validation();
    column->add(xl::ValidationType::Decimal, xl::ValidationAlert::Stop, xl::ValidationOperator::Greater, "0");
    EXPECT_EQ(errorOf([&] {
                  h.sheet->range("D5:E5")->validation()->add(xl::ValidationType::InputOnly,
                                                             xl::ValidationAlert::Stop,
                                                             xl::ValidationOperator::Between, "");
              }).number(),
              err::ApplicationDefined);
    h.sheet->cells(4, 4)->validation()->setErrorMessage("only here");
    EXPECT_EQ(h.sheet->cells(4, 4)->validation()->errorMessage(), "only here");
    EXPECT_EQ(h.sheet->cells(5, 4)->validation()->errorMessage(), "");
    EXPECT_EQ(h.sheet->cells(5, 4)->validation()->type(), xl::ValidationType::Decimal);

    // Copying the validation of one cell onto another range replaces what was there.
    h.sheet->cells(4, 4)->copyValidationTo(*h.sheet->range("F1:F3"));
    EXPECT_EQ(h.sheet->cells(2, 6)->validation()->errorMessage(), "only here");
    h.sheet->range("D1:D10")->validation()->remove();
    EXPECT_FALSE(h.sheet->cells(4, 4)->validation()->exists());
}

TEST(EntryValidationTest, InformationAsksOkCancelAndDateBoundsReadMonthFirst) {
    HostFixture h;
    auto v = h.sheet->range("E1:E5")->validation();
    v->add(xl::ValidationType::Date, xl::ValidationAlert::Information, xl::ValidationOperator::Greater,
           "2/1/1900");
    v->setErrorMessage("Enter a date.");
    h.dialogs.answers = {xl::AnswerCancel, xl::AnswerOk};
    EXPECT_FALSE(h.sheet->typeInto(1, 5, "10")); // day 10 is before 1 February 1900 (33)
    EXPECT_TRUE(h.sheet->cells(1, 5)->value().isEmpty());
    EXPECT_TRUE(h.sheet->typeInto(1, 5, "10"));
    EXPECT_EQ(h.sheet->cells(1, 5)->value(), Variant(10.0));
    ASSERT_EQ(h.dialogs.boxes.size(), 2u);
    EXPECT_EQ(h.dialogs.boxes[0].flags & 0xF, xl::MsgOkCancel);
    EXPECT_TRUE(h.sheet->typeInto(2, 5, "40000")); // after the bound: no question
    EXPECT_EQ(h.dialogs.boxes.size(), 2u);
    // Switching the error alert off lets everything through.
    v->setShowError(false);
    EXPECT_TRUE(h.sheet->typeInto(3, 5, "text"));
}

namespace {
sheet::ValidationRule rule(xl::ValidationType type, xl::ValidationOperator op, std::string f1,
                           std::string f2 = {}) {
    sheet::ValidationRule r;
    r.type = static_cast<int>(type);
    r.op = static_cast<int>(op);
    r.formula1 = std::move(f1);
    r.formula2 = std::move(f2);
    return r;
}
} // namespace

TEST(EntryValidationTest, ARuleThatDoesNotIgnoreBlanksRefusesAnEmptyText) {
    HostFixture h;
    const sheet::ValidationRule rules[] = {
        rule(xl::ValidationType::WholeNumber, xl::ValidationOperator::Greater, "0"),
        rule(xl::ValidationType::Decimal, xl::ValidationOperator::Between, "-1", "1"),
        rule(xl::ValidationType::List, xl::ValidationOperator::Between, "a,b"),
        rule(xl::ValidationType::Date, xl::ValidationOperator::GreaterEqual, "1/1/2000"),
        rule(xl::ValidationType::TextLength, xl::ValidationOperator::LessEqual, "10"),
        rule(xl::ValidationType::Custom, xl::ValidationOperator::Between, "=TRUE"),
    };
    for (sheet::ValidationRule r : rules) {
        r.ignoreBlank = false;
        EXPECT_FALSE(sheet::ValidationCheck::accepts(r, Variant(""), h.sheet)) << r.type;
        EXPECT_FALSE(sheet::ValidationCheck::accepts(r, Variant(), h.sheet)) << r.type;
        r.ignoreBlank = true;
        EXPECT_TRUE(sheet::ValidationCheck::accepts(r, Variant(""), h.sheet)) << r.type;
        EXPECT_TRUE(sheet::ValidationCheck::accepts(r, Variant(), h.sheet)) << r.type;
    }
    // A rule that only shows an input message checks nothing, blanks included.
    sheet::ValidationRule any = rule(xl::ValidationType::InputOnly, xl::ValidationOperator::Between, "");
    any.ignoreBlank = false;
    EXPECT_TRUE(sheet::ValidationCheck::accepts(any, Variant(""), h.sheet));
}

TEST(EntryValidationTest, BetweenAcceptsBothBoundsAndNotBetweenRefusesThem) {
    HostFixture h;
    auto whole = h.sheet->range("A1:A10")->validation();
    whole->add(xl::ValidationType::WholeNumber, xl::ValidationAlert::Stop, xl::ValidationOperator::Between,
               "1", "10");
    EXPECT_TRUE(h.sheet->typeInto(1, 1, "1"));
    EXPECT_TRUE(h.sheet->typeInto(2, 1, "10"));
    EXPECT_TRUE(h.sheet->typeInto(3, 1, "5"));
    EXPECT_EQ(errorOf([&] { h.sheet->typeInto(4, 1, "0"); }).number(), err::ApplicationDefined);
    EXPECT_EQ(errorOf([&] { h.sheet->typeInto(4, 1, "11"); }).number(), err::ApplicationDefined);
    EXPECT_TRUE(h.sheet->cells(4, 1)->value().isEmpty());

    using sheet::ValidationCheck;
    const auto decimal = rule(xl::ValidationType::Decimal, xl::ValidationOperator::Between, "0.5", "1.5");
    EXPECT_TRUE(ValidationCheck::accepts(decimal, Variant(0.5), h.sheet));
    EXPECT_TRUE(ValidationCheck::accepts(decimal, Variant(1.5), h.sheet));
    EXPECT_FALSE(ValidationCheck::accepts(decimal, Variant(1.5000001), h.sheet));
    const auto date =
        rule(xl::ValidationType::Date, xl::ValidationOperator::Between, "1/1/2000", "12/31/2000");
    EXPECT_TRUE(ValidationCheck::accepts(date, Variant(OleDate{36526.0}), h.sheet));
    EXPECT_TRUE(ValidationCheck::accepts(date, Variant(OleDate{36891.0}), h.sheet));
    EXPECT_FALSE(ValidationCheck::accepts(date, Variant(OleDate{36892.0}), h.sheet));
    const auto length = rule(xl::ValidationType::TextLength, xl::ValidationOperator::Between, "2", "4");
    EXPECT_TRUE(ValidationCheck::accepts(length, Variant("ab"), h.sheet));
    EXPECT_TRUE(ValidationCheck::accepts(length, Variant("abcd"), h.sheet));
    EXPECT_FALSE(ValidationCheck::accepts(length, Variant("a"), h.sheet));
    EXPECT_FALSE(ValidationCheck::accepts(length, Variant("abcde"), h.sheet));

    const auto outside = rule(xl::ValidationType::WholeNumber, xl::ValidationOperator::NotBetween, "1", "10");
    EXPECT_FALSE(ValidationCheck::accepts(outside, Variant(1.0), h.sheet));
    EXPECT_FALSE(ValidationCheck::accepts(outside, Variant(10.0), h.sheet));
    EXPECT_TRUE(ValidationCheck::accepts(outside, Variant(0.0), h.sheet));
    EXPECT_TRUE(ValidationCheck::accepts(outside, Variant(11.0), h.sheet));
}

TEST(EntryValidationTest, TextLengthCountsCharactersAsTheHostDoes) {
    HostFixture h;
    const auto atMostTwo = rule(xl::ValidationType::TextLength, xl::ValidationOperator::LessEqual, "2");
    const std::string zhe = "\xD0\x96", grin = "\xF0\x9F\x98\x80";
    // Two Cyrillic letters are four bytes but two characters.
    EXPECT_TRUE(sheet::ValidationCheck::accepts(atMostTwo, Variant(zhe + zhe), h.sheet));
    EXPECT_FALSE(sheet::ValidationCheck::accepts(atMostTwo, Variant(zhe + zhe + zhe), h.sheet));
    // Outside the BMP one character is two UTF-16 units, as the host counts it.
    EXPECT_TRUE(sheet::ValidationCheck::accepts(atMostTwo, Variant(grin), h.sheet));
    EXPECT_FALSE(sheet::ValidationCheck::accepts(atMostTwo, Variant(grin + "a"), h.sheet));
}
