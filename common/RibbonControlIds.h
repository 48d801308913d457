// The ids of the controls in the add-in workbook's ribbon definition (customUI XML). The ribbon
// asks the entry object about a control by its id (label, image, enabled, visible), so the
// answers are keyed by these constants; an id the definition renames without this list is
// answered "not implemented", loudly, rather than silently.
#pragma once

namespace qv::ribbon {

inline constexpr const char* OpenDatabase = "cmdOpenDB";
inline constexpr const char* Tables = "cboTables";
inline constexpr const char* Queries = "cboQueries";
inline constexpr const char* Views = "cboViews";
inline constexpr const char* RowAdd = "cmdRowAdd";
inline constexpr const char* RowUpdate = "cmdRowUpdate";
inline constexpr const char* RowDelete = "cmdRowDelete";
inline constexpr const char* Refresh = "cmdRefresh";
inline constexpr const char* ExecuteSql = "cmdExecSql";
inline constexpr const char* Settings = "cmdSettings";
inline constexpr const char* Help = "cmdHelp";
inline constexpr const char* Close = "cmdClose";
inline constexpr const char* InitRibbon = "cmdInitRibbon";
inline constexpr const char* ShowAllSheets = "cmdShowAllSheets";

} // namespace qv::ribbon
