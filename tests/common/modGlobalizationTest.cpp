// The message catalogue as data (both languages carry the same placeholders and line breaks)
// and as behaviour (language choice, placeholder filling, unassigned ids).
#include "common/modGlobalization.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace qv {
namespace {

namespace mg = modGlobalization;

// Restores the English default after every test so that the order of tests does not matter.
class modGlobalizationTest : public ::testing::Test {
  protected:
    void TearDown() override {
        mg::SetCountryCode(0);
        mg::ClearCurrentError();
    }
};

std::multiset<std::string> placeholders(std::string_view tpl) {
    static const std::set<std::string> known = {"1",           "2",      "product", "title",
                                                "description", "number", "support"};
    std::multiset<std::string> found;
    for (std::size_t open = tpl.find('{'); open != std::string_view::npos; open = tpl.find('{', open + 1)) {
        std::size_t close = tpl.find('}', open);
        if (close == std::string_view::npos) break;
        std::string name(tpl.substr(open + 1, close - open - 1));
        if (known.count(name) || name.starts_with("text ")) found.insert(name);
    }
    return found;
}

long lineBreaks(std::string_view s) {
    return std::count(s.begin(), s.end(), '\r');
}

TEST_F(modGlobalizationTest, EveryAssignedIdHasMatchingEnglishAndDutchTemplates) {
    auto table = mg::TextTable();
    EXPECT_EQ(table.size(), 130u); // 89: the record a save did not find
    const std::set<int> ownDutchLayout = {14, 30, 31};
    for (const auto& e : table) {
        SCOPED_TRACE("id " + std::to_string(e.id));
        std::string_view en = e.en, nl = e.nl;
        EXPECT_FALSE(en.empty());
        EXPECT_FALSE(nl.empty());
        EXPECT_EQ(placeholders(en), placeholders(nl));
        if (!ownDutchLayout.count(e.id)) {
            EXPECT_EQ(lineBreaks(en), lineBreaks(nl));
        }
        EXPECT_EQ(en.find('\n'), std::string_view::npos);
        EXPECT_EQ(nl.find('\n'), std::string_view::npos);
        // Every text can be built in both languages (no {text N} pointing at a gap).
        EXPECT_NO_THROW(mg::GetTextIn(mg::Language::English, e.id, {}, "a", "b"));
        EXPECT_NO_THROW(mg::GetTextIn(mg::Language::Dutch, e.id, {}, "a", "b"));
    }
    // Only these three keep the same text in both languages.
    for (const auto& e : table) {
        bool same = std::string_view(e.en) == std::string_view(e.nl);
        EXPECT_EQ(same, e.id == 122 || e.id == 136 || e.id == 175) << "id " << e.id;
    }
}

TEST_F(modGlobalizationTest, DutchTextsWithTheirOwnLineBreaks) {
    mg::SetCountryCode(31);
    EXPECT_EQ(mg::GetText(31, 12),
              "Het aantal records is te groot om \rin een Excel werkblad te tonen.\r\rAantal records: 12");
    mg::SetCountryCode(1);
    EXPECT_EQ(mg::GetText(31, 12),
              "The number of records is too large\rto display in an Excel worksheet.\rNumber of records: 12");
}

TEST_F(modGlobalizationTest, UnassignedIdsRaiseNotImplemented) {
    for (int id : {0, 28, 217, -1, 38, 1000}) {
        try {
            mg::GetText(id);
            ADD_FAILURE() << "id " << id << " returned a text";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::NotImplemented);
            EXPECT_EQ(e.description(), "Text ID " + std::to_string(id) + " is not implemented!");
        }
    }
}

TEST_F(modGlobalizationTest, LanguageFollowsTheCountryCode) {
    EXPECT_EQ(mg::GetText(6), "Ready"); // never set
    mg::SetCountryCode(32);
    EXPECT_EQ(mg::GetText(6), "Ready");
    mg::SetCountryCode(31);
    EXPECT_EQ(mg::GetText(6), "Gereed");
    EXPECT_EQ(mg::GetText(123), "[Maak een keuze]");
    EXPECT_EQ(mg::GetText(125), "Re&cord toevoegen (F6)");
    EXPECT_EQ(mg::GetText(9), "-werkmap");
    mg::SetCountryCode(1);
    EXPECT_EQ(mg::GetText(9), " Workbook");
}

TEST_F(modGlobalizationTest, MenuTextsLoseTheirAmpersandsInsideOtherTexts) {
    EXPECT_EQ(mg::GetText(11), "Open a database by selecting 'Open database...' in menu item 'Quorvel LT'.");
    EXPECT_EQ(mg::GetText(24), "Select menu item 'Tables' to display and alter data.");
    EXPECT_EQ(mg::GetText(122), "&Open database..."); // on its own it keeps the mark
    mg::SetCountryCode(31);
    EXPECT_EQ(mg::GetText(24), "Selecteer menu-item 'Tabellen' om gegevens te tonen en te wijzigen.");
    EXPECT_EQ(
        mg::GetText(14),
        "Open een database door in de tab\r'Invoegtoepassingen' in menu 'Quorvel LT'\r'Open database...' te "
        "selecteren.");
}

TEST_F(modGlobalizationTest, ArgumentsFillTheirPlaceholdersOnce) {
    EXPECT_EQ(mg::GetText(37, 5), "5 records have been affected.");
    mg::SetCountryCode(31);
    EXPECT_EQ(mg::GetText(37, 5), "Er zijn 5 records aangepast.");
    EXPECT_EQ(mg::GetText(187, 1, 10), "Vul een waarde in tussen 1 en 10");
    // A missing argument contributes nothing, and an argument is not scanned again.
    EXPECT_EQ(mg::GetText(215, "T"), "Tabel T bevindt zich in een andere database\r");
    EXPECT_EQ(mg::GetText(215, "{2}", "x"), "Tabel {2} bevindt zich in een andere database\rx");
    EXPECT_EQ(mg::GetText(37, Variant::null()), "Er zijn  records aangepast.");
    // Braces that are no placeholder stay.
    EXPECT_NE(mg::GetText(113).find("{12345678-1234-1234-1234-123456789012}"), std::string::npos);
}

TEST_F(modGlobalizationTest, ErrorTextsShowTheCurrentError) {
    NumberedError divZero(11, "test", "Division by zero");
    mg::SetCountryCode(31);
    EXPECT_EQ(mg::GetText(2, divZero), "Onverwachte fout:\rDivision by zero\r(Foutnummer: 11)");
    mg::SetCountryCode(0);
    EXPECT_EQ(mg::GetText(2, divZero), "Unexpected error:\rDivision by zero\r(Error number: 11)");
    EXPECT_EQ(mg::GetText(1, divZero), "Division by zero\r(Error Number: 11)");
    {
        mg::CurrentErrorScope scope(NumberedError(err::DaoOdbcConnectFailed, "dao", "ODBC--call failed."));
        EXPECT_EQ(
            mg::GetText(182, "DSN=x"),
            "The following error occurred when opening the connection:\rODBC--call failed.\r(Error Number: "
            "3151)\r\rConnection string: \rDSN=x");
    }
    EXPECT_EQ(mg::GetText(1), "\r(Error Number: 0)"); // scope ended: no current error
}

TEST_F(modGlobalizationTest, ProductAndTitleAreFilledIn) {
    EXPECT_EQ(mg::GetText(216).substr(0, 30), "Quorvel LT does not support ru");
    EXPECT_NE(mg::GetText(30).find("Multiple Quorvel Add-ins"), std::string::npos);
    mg::SetCountryCode(31);
    EXPECT_NE(mg::GetText(30).find("één Quorvel-invoegtoepassing"), std::string::npos);
}

TEST_F(modGlobalizationTest, FormControlCaptionsByName) {
    EXPECT_EQ(mg::GetFormControlText("chkDontShowAgain"), "Don't show this message again");
    EXPECT_EQ(mg::GetFormControlText("cmdSysInfo"), "&System Info... ");
    EXPECT_EQ(mg::GetFormControlText("lblVersion"), "");       // not in the table
    EXPECT_EQ(mg::GetFormControlText("chkdontshowagain"), ""); // names compare case-sensitively
    mg::SetCountryCode(31);
    EXPECT_EQ(mg::GetFormControlText("chkDontShowAgain"), "Deze melding niet meer tonen");
    EXPECT_EQ(mg::GetFormControlText("frmSettings"), "Instellingen");
    EXPECT_EQ(mg::CaptionTable().size(), 30u);
}

} // namespace
} // namespace qv
