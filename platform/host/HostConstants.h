// Numbers of the spreadsheet host's object model that the add-in passes and compares.
// They are the host's own constants, so a value read from a file or a macro means the same
// thing here.
#pragma once

namespace qv::xl {

constexpr int ColorNone = -4142; // fill colour index "none"; also "automatic" font colour
// Application.Cursor: the mouse pointer the host shows.
constexpr int CursorDefault = -4143;
constexpr int CursorNorthwestArrow = 1;
constexpr int CursorWait = 2;
constexpr int CursorIBeam = 3;
constexpr int CalculationManual = -4135;
constexpr int CalculationAutomatic = -4105;
constexpr int DirectionDown = -4121;
constexpr int DirectionRight = -4161;
constexpr int DirectionUp = -4162;
constexpr int DirectionLeft = -4159;

constexpr int SheetVisible = -1;
constexpr int SheetHidden = 0;
constexpr int SheetVeryHidden = 2;

constexpr int SelectionNoRestrictions = 0; // xlNoRestrictions
constexpr int SelectionUnlockedCells = 1;
constexpr int SelectionNone = -4142;

constexpr int CountryCodeIndex = 1; // International(1)
constexpr int CountryDutch = 31;

enum class ReferenceStyle { A1 = 1, R1C1 = -4150 };

// Horizontal alignment.
constexpr int AlignGeneral = 1;
constexpr int AlignLeft = -4131;
constexpr int AlignCenter = -4108;
constexpr int AlignRight = -4152;

// Border edges and weights.
enum class BorderEdge {
    Left = 7,
    Top = 8,
    Bottom = 9,
    Right = 10,
    InsideVertical = 11,
    InsideHorizontal = 12
};
constexpr int LineStyleContinuous = 1;
constexpr int LineStyleNone = -4142;
constexpr int WeightThin = 2;

// Data validation.
enum class ValidationType {
    InputOnly = 0,
    WholeNumber = 1,
    Decimal = 2,
    List = 3,
    Date = 4,
    Time = 5,
    TextLength = 6,
    Custom = 7
};
enum class ValidationAlert { Stop = 1, Warning = 2, Information = 3 };
enum class ValidationOperator {
    Between = 1,
    NotBetween = 2,
    Equal = 3,
    NotEqual = 4,
    Greater = 5,
    Less = 6,
    GreaterEqual = 7,
    LessEqual = 8
};

// AutoFilter operators.
constexpr int FilterAnd = 1;
constexpr int FilterOr = 2;
constexpr int FilterValues = 7;

// Save-as file formats (the host's numbers).
constexpr int FileFormatXmlSpreadsheet = 46;
constexpr int FileFormatXlsx = 51; // xlOpenXMLWorkbook
constexpr int FileFormatXlsm = 52;
constexpr int FileFormatXlam = 55;         // xlOpenXMLAddIn
constexpr int FileFormatXls = 56;          // xlExcel8
constexpr int FileFormatXlsLegacy = -4143; // xlWorkbookNormal
constexpr int FileFormatCsv = 6;
constexpr int FileFormatText = -4158; // xlCurrentPlatformText, tab-delimited
constexpr int FileFormatHtml = 44;
constexpr int FileFormatMhtml = 45; // xlWebArchive

// Message-box flags and answers.
constexpr int MsgOk = 0;
constexpr int MsgOkCancel = 1;
constexpr int MsgYesNoCancel = 3;
constexpr int MsgYesNo = 4;
constexpr int MsgCritical = 16;
constexpr int MsgQuestion = 32;
constexpr int MsgExclamation = 48;
constexpr int MsgInformation = 64;
constexpr int MsgDefaultButton2 = 256;
constexpr int MsgSetForeground = 65536;
constexpr int AnswerOk = 1;
constexpr int AnswerCancel = 2;
constexpr int AnswerYes = 6;
constexpr int AnswerNo = 7;

// Command-bar control types.
constexpr int ControlButton = 1;
constexpr int ControlPopup = 10;

} // namespace qv::xl
