// The verifier the host stores instead of the password; the model compares the password itself.
#include "spreadsheet/model/PasswordHash.h"

#include <fmt/format.h>

namespace qv::sheet {

std::string PasswordHash::legacy(const std::string& password) {
    if (password.empty()) return {};
    unsigned hash = 0;
    for (auto it = password.rbegin(); it != password.rend(); ++it) {
        hash = ((hash >> 14) & 0x01) | ((hash << 1) & 0x7fff);
        hash ^= static_cast<unsigned char>(*it);
    }
    hash = ((hash >> 14) & 0x01) | ((hash << 1) & 0x7fff);
    hash ^= static_cast<unsigned>(password.size());
    hash ^= 0xCE4B;
    return fmt::format("{:04X}", hash & 0xFFFF);
}

} // namespace qv::sheet
