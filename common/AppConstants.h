// Names the add-in shows everywhere: the product name titles every message box and dialog,
// the application title is the word that marks the add-in's command bars and registry key.
// Kept in one place so that the message catalogue and the dialogs cannot drift apart.
#pragma once

#include <string_view>

namespace qv {

inline constexpr std::string_view APP_NAME = "Quorvel LT"; // product name
inline constexpr std::string_view APP_TITLE = "Quorvel";   // application title

} // namespace qv

namespace qv {

// Where people write when the help file is missing or start-up fails.
inline constexpr std::string_view SUPPORT_EMAIL = "support@quorvel.com";

} // namespace qv
