// The registry value names of the settings, exactly as stored. They must match what earlier
// versions wrote and what the settings dialog reads, so code names them only through these
// constants: a misspelt name then fails to compile instead of reading a setting that is never
// there.
#pragma once

namespace qv {

// Registry value names of the settings, exactly as stored.
namespace setting {
inline constexpr const char* ColorTitleBack = "Setting color title back";
inline constexpr const char* ColorTitleFront = "Setting color title front";
inline constexpr const char* ColorMatrixBack = "Setting color matrix back";
inline constexpr const char* ColorMatrixFront = "Setting color matrix front";
inline constexpr const char* ColorMatrixBackReadOnly = "Setting color matrix back read only";
inline constexpr const char* ColorMatrixFrontReadOnly = "Setting color matrix front read only";
inline constexpr const char* ColorMatrixBackEdited = "Setting color matrix back edited";
inline constexpr const char* ColorMatrixFrontEdited = "Setting color matrix front edited";
inline constexpr const char* ColorMatrixLines = "Setting color matrix lines";
inline constexpr const char* ColorFormBack = "Setting color form back";
inline constexpr const char* DisplayHeadings = "Setting display headings";
inline constexpr const char* DisplayFilter = "Setting display filter";
inline constexpr const char* DisplayZeros = "Setting display zeros";
inline constexpr const char* DisplayFieldDescription = "Setting display field description";
inline constexpr const char* FreezeTopRow = "Setting freeze top row";
inline constexpr const char* WarningNrOfCells = "Setting warning nr of cells";
inline constexpr const char* AdjustWidthsAutomatically = "Setting adjust widths columns automatically";
inline constexpr const char* ApplyColumnPropertiesAccess = "Setting apply column properties MS Access";
inline constexpr const char* FixedColumnWidth = "Setting fixed column width";
inline constexpr const char* ShowMessageSelectDb = "Show message select db";
inline constexpr const char* ShowMessageSelectTable = "Show message select table";
inline constexpr const char* ShowMessageUpdatedRecords = "Show message updated records";
inline constexpr const char* ShowMessageDeletedRecords = "Show message deleted records";
inline constexpr const char* ShowMessageQueryExecuted = "Show message query executed";
inline constexpr const char* ShowMessageNoPrimaryKey = "Show message no primary key";
inline constexpr const char* UserMoveAfterReturnDirection = "User MoveAfterReturnDirection";
inline constexpr const char* UserDisplayTaskPane = "User display taskPane";
inline constexpr const char* Version = "Version";
inline constexpr const char* InitDir = "InitDir";
} // namespace setting

} // namespace qv
