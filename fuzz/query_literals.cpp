// The text of a saved query as the command runner reads it before running it: the double-quoted
// literals turned into single-quoted ones, and the statement's kind told from its words.
#include "common/clsAux.h"
#include "datasource/clsCommand.h"
#include "datasource/modQueryText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string sql(reinterpret_cast<const char*>(data), size);
    const std::string once = qv::SingleQuotedLiterals(sql);
    // What is converted is a single-quoted literal afterwards, which a second reading leaves alone.
    if (qv::SingleQuotedLiterals(once) != once) std::abort();
    (void)qv::clsCommand::ReturnsRows(once);
    (void)qv::clsAux::GetQueryIcon(once);
    (void)qv::clsAux::IsDataDefinition(once);
    return 0;
}
