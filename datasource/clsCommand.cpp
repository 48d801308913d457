#include "datasource/clsCommand.h"

#include "platform/NumberedError.h"

namespace qv {

void clsCommand::Execute(bool, bool, int) {
    throw NumberedError(err::NotImplemented, "clsCommand",
                        "The following action is not implemented: Execute");
}

} // namespace qv
