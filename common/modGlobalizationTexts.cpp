// The data of the message catalogue: every assigned message id with its English and Dutch
// template, and the captions of dialogs and controls. Pure data, sorted by id so that GetText
// can binary-search it; the static_assert below keeps it that way. "\r" is the one line break
// of every text; "{support}" stands for the support address of AppConstants.h.
#include "common/modGlobalization.h"

#include <array>

namespace qv::modGlobalization {

namespace {

constexpr std::array kTexts = std::to_array<TextEntry>({
    {1, "{description}\r(Error Number: {number})", "{description}\r(Foutnummer: {number})"},
    {2, "Unexpected error:\r{description}\r(Error number: {number})",
     "Onverwachte fout:\r{description}\r(Foutnummer: {number})"},
    {3, "&Cancel", "&Annuleren"},
    {4, "&Apply", "&Toepassen"},
    {5, "One moment...", "Een ogenblik..."},
    {6, "Ready", "Gereed"},
    {7, "Message", "Melding"},
    {8, "Table", "Tabel"},
    {9, " Workbook", "-werkmap"},
    {10,
     "An invalid Excel instance has been detected.\rPlease close all running Excel instances and then reopen "
     "Excel.\r\rDo the following if this problem persists:\r- Open Task Manager (Ctrl+Alt+Delete)\r- Select "
     "tab "
     "Processes\r- Select process with Image name EXCEL.EXE\r- Select button 'End Process'; Confirm\r- "
     "Repeat this "
     "for all EXCEL.EXE processes in Task Manager",
     "Er is een ongeldige Excel-instantie aangetroffen.\rSluit alle geopende Excel programma's en heropen "
     "Excel.\r\rDoe het volgende indien het probleem aanhoudt:\r- Start Taakbeheer (Ctrl+Alt+Delete)\r- "
     "Selecteer "
     "tab Processen\r- Selecteer het proces met Imagenaam EXCEL.EXE\r- Selecteer knop 'Proces beëindigen'; "
     "Bevestig\r- Herhaal dit voor alle EXCEL.EXE-processen in Taakbeheer"},
    {11, "Open a database by selecting '{text 122}' in menu item '{product}'.",
     "Open een database door '{text 122}' in menu-item '{product}' te selecteren."},
    {12, "Open a database by selecting 'Open database' in tab '{product}'.",
     "Open een database door 'Open database' in tab '{product}' te selecteren."},
    {13,
     "'{product}' is intended for MS Excel versions 2003 and older.\r'{1}' will better suite your MS Office "
     "version:\r- New MS Access file formats like .accdb are supported\r- {1} has its own tab in the Excel "
     "ribbon\r\rWould you like to visit the product page of {1}?",
     "'{product}' is bedoeld voor MS Excel-versies 2003 en ouder.\r'{1}' past beter bij uw versie van MS "
     "Office:\r- Nieuwe MS Access-bestandsformaten zoals .accdb worden ondersteund\r- {1} heeft een eigen "
     "tab in "
     "het Excel-lint\r\rWilt u de productpagina van {1} bezoeken?"},
    {14, "Open a database by selecting '{text 122}'\rin menu '{product}' under tab 'Add-Ins'.",
     "Open een database door in de tab\r'Invoegtoepassingen' in menu '{product}'\r'{text 122}' te "
     "selecteren."},
    {15, "Are you sure?", "Weet u het zeker?"},
    {16, "The changes will not be saved unless you write them to the database.\r",
     "De wijzigingen worden niet bewaard tenzij u ze naar de database schrijft.\r"},
    {17,
     "The changes will not be saved unless you write them to the database.\rAre you sure you want to open "
     "another "
     "database?",
     "De wijzigingen worden niet bewaard tenzij u ze naar de database schrijft.\rWeet u zeker dat u een "
     "andere "
     "database wilt openen?"},
    {18,
     "The changes will not be saved unless you write them to the database.\rAre you sure you want to close "
     "the "
     "workbook?",
     "De wijzigingen worden niet bewaard tenzij u ze naar de database schrijft.\rWeet u zeker dat u de "
     "werkmap "
     "wilt sluiten?"},
    {19,
     "The changes will not be saved unless you write them to the database.\rAre you sure you want to save "
     "the "
     "workbook?",
     "De wijzigingen worden niet bewaard tenzij u ze naar de database schrijft.\rWeet u zeker dat u de "
     "werkmap "
     "wilt opslaan?"},
    {20,
     "The changes will not be saved unless you write them to the database.\rAre you sure you want to select "
     "{1}?",
     "De wijzigingen worden niet bewaard tenzij u ze naar de database schrijft.\rWeet u zeker dat u {1} wilt "
     "selecteren?"},
    {21,
     "The changes will not be saved unless you write them to the database.\rAre you sure you want to refresh "
     "the "
     "data?",
     "De wijzigingen worden niet bewaard tenzij u ze naar de database schrijft.\rWeet u zeker dat u de "
     "gegevens "
     "wilt vernieuwen?"},
    {22, "The generated worksheets are not saved.\rAre you sure you want to close the application?",
     "De gegenereerde werkbladen worden niet bewaard.\rWeet u zeker dat u de applicatie wilt sluiten?"},
    {23, "The database connection will be closed.\rAre you sure you want to save the workbook?",
     "De databaseverbinding wordt gesloten.\rWeet u zeker dat u de werkmap wilt opslaan?"},
    {24, "Select menu item '{text 124}' to display and alter data.",
     "Selecteer menu-item '{text 124}' om gegevens te tonen en te wijzigen."},
    {25, "Select a table in the drop down 'Tables' to display and alter data.",
     "Selecteer een tabel in de keuzelijst 'Tabellen' om gegevens te tonen en te wijzigen."},
    {26, "The database does not contain tables.", "De database bevat geen tabellen."},
    {27, "[SQL can not be displayed]", "[SQL kan niet getoond worden]"},
    {29,
     "The following components are missing or are not properly installed:\r{1}\r\rThese components are "
     "available "
     "for download on the Microsoft website.\rPlease follow the instructions on the web page that will "
     "appear\rafter this and reopen Excel.",
     "Uw computer mist de volgende vereiste software-componenten:\r{1}\r\rDeze componenten zijn te "
     "downloaden van "
     "de Microsoft-website.\rVolg de instructies op de hierna getoonde webpagina en heropen \rdaarna Excel."},
    {30,
     "Multiple {title} Add-ins are loaded.\rUsing these versions simultaneously is not supported.\rMake sure "
     "only "
     "one {title} Add-in is selected\rin the Excel Add-ins dialog box and reopen Excel.",
     "Er zijn meerdere {title}-invoegtoepassingen\rtegelijkertijd geladen.\rHet is niet mogelijk deze "
     "versies "
     "naast elkaar te gebruiken.\rZorg daarom dat slechts één {title}-invoegtoepassing\rgeselecteerd is in "
     "het "
     "beheerscherm invoegtoepassingen\ren heropen daarna Excel."},
    {31, "The number of records is too large\rto display in an Excel worksheet.\rNumber of records: {1}",
     "Het aantal records is te groot om \rin een Excel werkblad te tonen.\r\rAantal records: {1}"},
    {32, "It could take some time to show the data.\rAre you sure you want to continue?",
     "Het tonen van de gegevens kan enige tijd duren.\rWeet u zeker dat u wilt doorgaan?"},
    {33, "Execute SQL statement:", "SQL-instructie uitvoeren:"},
    {34, "The {1} has been executed succesfully.", "De {1} is met succes uitgevoerd."},
    {35, "SQL statement has been executed succesfully.", "De SQL-instructie is met succes uitgevoerd."},
    {36, "One record has been affected.", "Er is één record aangepast."},
    {37, "{1} records have been affected.", "Er zijn {1} records aangepast."},
    {41, "Reopen the table or database to see the result.",
     "Open de tabel of de database opnieuw om het resultaat te zien."},
    {42, "The parameter is invalid.", "De parameter is ongeldig."},
    {43, "The database connection is not available.", "De databaseverbinding is niet beschikbaar."},
    {44,
     "You are about to execute a data-definition query\rAre you sure you want to execute this SQL statement?",
     "U staat op het punt een query voor gegevensdefinitie uit te voeren\rWeet u zeker dat u deze "
     "SQL-instructie "
     "wilt uitvoeren?"},
    {45, "SQL statement", "SQL-instructie"},
    {46,
     "The table will be dropped from the database.\rAre you really sure you want to execute this SQL "
     "statement?",
     "De tabel wordt uit de database verwijderd.\rWeet u echt zeker dat u deze SQL-instructie wilt "
     "uitvoeren?"},
    {47,
     "You are about to execute a command that could possibly\ralter the structure and/or contents of the "
     "database.\rAre you sure you want to execute this stored procedure?",
     "U staat op het punt een opdracht uit te voeren die mogelijk\rde structuur en/of de inhoud van de "
     "database "
     "wijzigt.\rWeet u zeker dat u deze opgeslagen procedure wilt uitvoeren?"},
    {48,
     "You are about to execute a query that will alter\rthe contents of a table.\rAre you sure you want to "
     "execute "
     "this action query?",
     "U staat op het punt een query uit te voeren die\rde inhoud van een tabel wijzigt.\rWeet u zeker dat u "
     "deze "
     "actiequery wilt uitvoeren?"},
    {51, "All the data in the table will be erased.\rAre you sure you want to execute this query?",
     "Alle gegevens in de tabel worden gewist.\rWeet u zeker dat u deze query wilt uitvoeren?"},
    {52, "Name: ", "Naam: "},
    {53, "Value: ", "Waarde: "},
    {54, "Select Cancel to skip a parameter.", "Selecteer Annuleren om een parameter over te slaan."},
    {55, "Enter a boolean value.\rYes/TRUE:\tEnter value 1\rNo/FALSE:\tEnter value 0",
     "Vul een Ja/Nee-waarde in.\rJa/WAAR:\tvul in de waarde 1\rNee/ONWAAR:\tvul in de waarde 0"},
    {56, "The ODBC-connection failed.", "De ODBC-verbinding kan niet tot stand gebracht worden."},
    {57, "Select a valid Access file", "Selecteer een geldig Access-bestand"},
    {61, "Open the database...", "Open de database..."},
    {62, "All files", "Alle bestanden"},
    {63, "files", "bestanden"},
    {64, "Workgroup file shortcuts", "Snelkoppelingen naar werkgroepbestanden"},
    {65, "Select a valid workgroup file shortcut.",
     "Selecteer een geldige snelkoppeling naar een werkgroepbestand."},
    {66, "Not a valid password.", "Geen geldig wachtwoord."},
    {71,
     "The combination database password and workgroup security\ris not supported by the Access ODBC driver!",
     "De combinatie van databasewachtwoord en werkgroepbeveiliging\rwordt niet ondersteund door het Access "
     "ODBC-stuurprogramma!"},
    {72,
     "Only the table contents are displayed.\rA primary key needs to be defined regarding {1} in order to "
     "make "
     "changes to the table.",
     "Van deze tabel wordt alleen de inhoud getoond.\rOm mutaties op tabel {1} te kunnen uitvoeren dient er "
     "een "
     "primaire sleutel voor de tabel te zijn gedefinieerd."},
    {73, "Only a contiguous selection is processed.", "Alleen een aaneengesloten selectie wordt verwerkt."},
    {74, "The record can not be deleted because it\rhas not yet been added to the table.",
     "Het record kan niet verwijderd worden omdat het\rnog niet aan de tabel is toegevoegd."},
    {75, "No rows have been found for deletion.", "Er zijn geen rijen gevonden om te verwijderen."},
    {76, "Are you sure you want to delete this record?", "Weet u zeker dat u dit record wilt verwijderen?"},
    {77, "Are you sure you want to delete these {1} records?",
     "Weet u zeker dat u deze {1} records wilt verwijderen?"},
    {78, "One record has been deleted.", "Er is één record verwijderd."},
    {79, "{1} records have been deleted.", "Er zijn {1} records verwijderd."},
    {86, "No records were altered.", "Er zijn geen records gewijzigd."},
    {87, "The mutation is stored in the database.", "De mutatie is in de database opgeslagen."},
    {88, "The changes are stored in the database.", "De wijzigingen zijn in de database opgeslagen."},
    {90, "Page settings can not be applied\rsince no printers are installed.",
     "Er zijn geen printers geïnstalleerd.\rDe pagina-instellingen kunnen daarom niet worden toegepast."},
    {96, "The total number of rows of the generated\rvalidation lists is greater than {1}.",
     "Het totale aantal rijen van de gegenereerde\rvalidatielijsten is groter dan {1}."},
    {97, "Invalid input", "Ongeldige invoer"},
    {98, "Select a value from the list.", "Selecteer een waarde uit de lijst."},
    {99, "Enter an integer", "Vul een geheel getal in"},
    {100, "Enter a positive integer", "Vul een positief geheel getal in"},
    {107, "Select TRUE or FALSE in the list.", "Selecteer WAAR of ONWAAR in de lijst."},
    {108, "Enter an amount.", "Vul een bedrag in."},
    {109, "Enter a numeric value.", "Vul een numerieke waarde in."},
    {110, "Enter a date.", "Vul een datum in."},
    {111, "Enter a valid time value.", "Vul een geldige tijdwaarde in."},
    {112, "Enter a date/time.", "Vul een datum/tijd in."},
    {113,
     "Enter a valid unique identifier (GUID).\rA GUID consists of 32 hexadecimal digits and\rfour dashes "
     "enclosed "
     "by two braces. Format:\r{12345678-1234-1234-1234-123456789012}",
     "Vul een geldige unique identifier (GUID) in.\rEen GUID dient te bestaan uit 32 hexadecimale "
     "cijfers\rmet 4 "
     "streepjes omsloten door accolades. Format:\r{12345678-1234-1234-1234-123456789012}"},
    {114, "Enter a value.", "Vul een waarde in."},
    {115, "Text is too long", "Tekst is te lang"},
    {116, "The entered text is too long\rThe text will be truncated to {1} characters.",
     "De ingevoerde tekst is te lang\rDe tekst wordt ingekort tot {1} tekens."},
    {122, "&Open database...", "&Open database..."},
    {123, "[Choose]", "[Maak een keuze]"},
    {124, "&Tables", "&Tabellen"},
    {125, "Add re&cord (F6)", "Re&cord toevoegen (F6)"},
    {126, "&Save changes (F7)", "&Wijzigingen opslaan (F7)"},
    {127, "&Delete record(s) (F8)", "Record(s) &verwijderen (F8)"},
    {128, "&Refresh data (F9)", "Gegevens ve&rnieuwen (F9)"},
    {133, "&Execute SQL statement", "SQL-instructie &uitvoeren"},
    {134, "&Settings", "&Instellingen"},
    {135, "&Info", "&Informatie"},
    {136, "&Help", "&Help"},
    {138, "&Close", "&Sluiten"},
    {175, "Login", "Login"},
    {176, "Password", "Wachtwoord"},
    {177, "System Information is unavailable at this time.",
     "Systeeminformatie is op dit moment niet beschikbaar."},
    {178, "Name database is mandatory.", "Naam database is verplicht."},
    {179, "Connection established!", "Verbinding tot stand gebracht!"},
    {182, "The following error occurred when opening the connection:\r{text 1}\r\rConnection string: \r{1}",
     "De volgende fout is opgetreden bij het openen van de verbinding:\r{text 1}\r\rVerbindingsreeks: \r{1}"},
    {183, "Available databases can not be displayed:", "Beschikbare databases kunnen niet getoond worden:"},
    {184, "Maximum timeout is {1} seconds.", "De maximale time-out is {1} seconden."},
    {185, "Open an Excel workbook first.", "Open eerst een Excel-werkmap."},
    {186, "Value is mandatory", "Waarde is verplicht"},
    {187, "Enter a value between {1} en {2}", "Vul een waarde in tussen {1} en {2}"},
    {188,
     "The fill color of locked table cells needs\rto differ from editable table cells.\rSelect a different "
     "fill "
     "color setting.",
     "De opvulkleur van geblokkeerde tabelcellen dient\rte verschillen van die van bewerkbare "
     "tabelcellen.\rKies "
     "een andere instelling voor de opvulkleur."},
    {189,
     "The fill color of edited table cells needs\rto differ from unedited table cells.\rSelect a different "
     "fill "
     "color setting.",
     "De opvulkleur van gewijzigde tabelcellen dient\rte verschillen van die van ongewijzigde "
     "tabelcellen.\rKies "
     "een andere instelling voor de opvulkleur."},
    {190, "The applied filtering will be cleared.\rAre you sure you want to continue?",
     "De toegepaste filtering wordt opgeheven.\rWeet u zeker dat u wilt doorgaan?"},
    {194,
     "The help file can not be found.\rPlease re-install Quorvel or contact\r{support} if the problem "
     "persists.",
     "Het Help-bestand kan niet gevonden worden.\rInstalleer Quorvel opnieuw of neem contact op "
     "met\r{support} "
     "als het probleem aanhoudt."},
    {197, "XML Spreadsheet (*.xml),*.xml,", "XML-werkmap (*.xml),*.xml,"},
    {198, "Web Archive File (*.mht; *.mhtml),*.mht;*.mhtml,", "MHT (*.mht; *.mhtml),*.mht;*.mhtml,"},
    {199, "Web Page (*.htm; *.html),*.htm;*.html,", "Webpagina (*.htm; *.html),*.htm;*.html,"},
    {200, "Text (Tab Delimited) (*.txt),*.txt,", "Tekst (tab is scheidingsteken) (*.txt),*.txt,"},
    {201, "CSV (Comma Delimited) (*.csv),*.csv", "CSV (comma separated values) (*.csv),*.csv"},
    {205, "Colors", "Kleuren"},
    {206, "View", "Weergave"},
    {207, "Other", "Overig"},
    {208, "Enter empty value to set up a native connection",
     "Laat de waarde leeg om een eigen verbinding op te zetten"},
    {211, "User messages are restored.", "De gebruikersmeldingen zijn hersteld."},
    {212, "Default settings are applied.", "De standaardinstellingen zijn toegepast."},
    {213, "Check the checkbox {1} and try again.", "Vink het selectievakje {1} aan en probeer het opnieuw."},
    {214, "Table {1} has been dropped.\rReopen de database.",
     "Tabel {1} is verwijderd.\rHeropen de database."},
    {215, "Table {1} resides in another database\r{2}", "Tabel {1} bevindt zich in een andere database\r{2}"},
    {216,
     "{product} does not support running multiple Excel instances simultaneously.\rPlease close all Excel "
     "instances and then reopen Excel.",
     "{product} ondersteunt niet dat meerdere Excel-instanties tegelijkertijd geopend zijn.\rSluit alle "
     "geopende "
     "Excel programma's en heropen Excel."},
    {220, "The database {1} is an Access file, which {product} cannot read yet.",
     "De database {1} is een Access-bestand, dat {product} nog niet kan lezen."},
    {230,
     "The settings file was damaged and could not be read.\r{product} has started with its default "
     "settings; the damaged file is kept as\r{1}",
     "Het instellingenbestand was beschadigd en kon niet gelezen worden.\r{product} is gestart met de "
     "standaardinstellingen; het beschadigde bestand is bewaard als\r{1}"},
});

constexpr bool sortedById() {
    for (std::size_t i = 1; i < kTexts.size(); ++i)
        if (kTexts[i - 1].id >= kTexts[i].id) return false;
    return true;
}
static_assert(sortedById(), "the message table must be sorted by id without duplicates");

constexpr std::array kCaptions = std::to_array<CaptionEntry>({
    {"frmAbout", "About", "Over"},
    {"cmdSysInfo", "&System Info... ", "&Systeeminfo... "},
    {"frmConnect", "Connect to MS SQL Server", "Maak verbinding met MS SQL Server"},
    {"fraOther", "Other data source attributes", "Overige databron-eigenschappen"},
    {"frmLogon", "Logon", "Aanmelden"},
    {"chkDontShowAgain", "Don't show this message again", "Deze melding niet meer tonen"},
    {"frmPassword", "Password required", "Wachtwoord is vereist"},
    {"lblDbPassword", "Enter database password:", "Geef het databasewachtwoord op:"},
    {"frmSettings", "Settings", "Instellingen"},
    {"lblTitleBack", "Fill color field names", "Opvulkleur veldnamen"},
    {"lblTitleFront", "Font color field names", "Tekstkleur veldnamen"},
    {"lblMatrixBack", "Fill color table cell", "Opvulkleur tabelcel"},
    {"lblMatrixFront", "Font color table cell", "Tekstkleur tabelcel"},
    {"lblMatrixBackReadOnly", "Fill color table cell (locked)", "Opvulkleur tabelcel (geblokkeerd)"},
    {"lblMatrixFrontReadOnly", "Font color table cell (locked)", "Tekstkleur tabelcel (geblokkeerd)"},
    {"lblMatrixBackEdited", "Fill color table cell (edited)", "Opvulkleur tabelcel (gewijzigd)"},
    {"lblMatrixFrontEdited", "Font color table cell (edited)", "Tekstkleur tabelcel (gewijzigd)"},
    {"lblMatrixEdges", "Edges table cells", "Randen tabelcellen"},
    {"lblFormBack", "Fill color table sheet", "Opvulkleur tabelwerkblad"},
    {"chkShowHeadings", "Show headings", "Toon rij- en kolomkoppen"},
    {"chkShowFilter", "Show filter", "Toon filter"},
    {"chkShowZeros", "Show zeroes", "Toon nulwaarden"},
    {"chkShowFieldDescription", "Show field description as comment", "Toon veldbeschrijving als opmerking"},
    {"chkFreezeTopRow", "Freeze top row", "Bovenste rij blokkeren"},
    {"lblCellsWarning", "Maximum number of table cells without duration warning",
     "Maximaal aantal tabelcellen zonder waarschuwing duur"},
    {"cmdRestoreUserMsg", "Restore user messages", "Gebruikersmeldingen herstellen"},
    {"cmdApplyDefaults", "Apply default settings", "Standaardinstellingen toepassen"},
    {"chkAutoAdjustColumnWidths", "Automatically adjust column width of fields",
     "Kolombreedte van velden automatisch aanpassen"},
    {"chkApplyColumnPropsAccess", "Apply column properties MS Access",
     "Kolomeigenschappen MS Access toepassen"},
    {"lblFixedColumnWidth", "Fixed column width of fields", "Vaste kolombreedte van velden"},
});

} // namespace

std::span<const TextEntry> TextTable() {
    return kTexts;
}
std::span<const CaptionEntry> CaptionTable() {
    return kCaptions;
}

} // namespace qv::modGlobalization
