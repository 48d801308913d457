// The command runner: saved queries, views and free SQL. Until it is built, running a command
// ends with the not-implemented error, reported by the caller.
#pragma once

namespace qv {

class clsCommand {
  public:
    void Execute(bool view, bool savedObject, int index);
};

} // namespace qv
