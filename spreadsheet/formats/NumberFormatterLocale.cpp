// The two languages the host speaks. Dutch follows the Dutch regional settings the host runs
// under: decimal comma, thousands point, "-" between date parts, lower-case month names.
#include "spreadsheet/formats/NumberFormatterLocale.h"

#include <string>

namespace qv::sheet {

namespace {

NumberFormatterLocale makeEnglish() {
    NumberFormatterLocale l{
        '.',
        ',',
        '/',
        {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
         "November", "December"},
        {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
        {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
        {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
        "TRUE",
        "FALSE",
        false};
    return l;
}

NumberFormatterLocale makeDutch() {
    NumberFormatterLocale l{
        ',',
        '.',
        '-',
        {"januari", "februari", "maart", "april", "mei", "juni", "juli", "augustus", "september", "oktober",
         "november", "december"},
        {"jan", "feb", "mrt", "apr", "mei", "jun", "jul", "aug", "sep", "okt", "nov", "dec"},
        {"zondag", "maandag", "dinsdag", "woensdag", "donderdag", "vrijdag", "zaterdag"},
        {"zo", "ma", "di", "wo", "do", "vr", "za"},
        "WAAR",
        "ONWAAR",
        true};
    return l;
}

} // namespace

const NumberFormatterLocale& NumberFormatterLocale::of(Locale locale) {
    static const NumberFormatterLocale englishTexts = makeEnglish();
    static const NumberFormatterLocale dutchTexts = makeDutch();
    return locale == Locale::Dutch ? dutchTexts : englishTexts;
}

std::string NumberFormatterLocale::errorText(int code) const {
    switch (code) {
    case 2000:
        return dutch ? "#LEEG!" : "#NULL!";
    case 2007:
        return dutch ? "#DEEL/0!" : "#DIV/0!";
    case 2015:
        return dutch ? "#WAARDE!" : "#VALUE!";
    case 2023:
        return dutch ? "#VERW!" : "#REF!";
    case 2029:
        return dutch ? "#NAAM?" : "#NAME?";
    case 2036:
        return dutch ? "#GETAL!" : "#NUM!";
    case 2042:
        return dutch ? "#N/B" : "#N/A";
    default:
        return "Error " + std::to_string(code);
    }
}

} // namespace qv::sheet
