// The tags of the add-in's menu and toolbar controls. A control is found again by its tag (to
// enable it, hide it, answer the ribbon about it), so the menu that sets a tag and every place
// that looks for it must spell it alike: they name it only through these constants, and a
// misspelt name fails to compile instead of leaving a control that is never found. The values
// are the ones earlier versions stored in the host's command bars, the misspelling of
// "Excecute SQL" included.
#pragma once

namespace qv::tag {

inline constexpr const char* OpenDatabase = "Open database";
inline constexpr const char* Tables = "Tables";
inline constexpr const char* Views = "Views";
inline constexpr const char* Queries = "Queries";
inline constexpr const char* RowAdd = "Row Add";
inline constexpr const char* RowUpdate = "Row Update";
inline constexpr const char* RowDelete = "Row Delete";
inline constexpr const char* RefreshData = "Refresh data";
inline constexpr const char* ExecuteSql = "Excecute SQL";
inline constexpr const char* Settings = "Settings";
inline constexpr const char* Help = "Help";
inline constexpr const char* CloseApplication = "Close application";
inline constexpr const char* DevControl = "Dev. control";

} // namespace qv::tag
