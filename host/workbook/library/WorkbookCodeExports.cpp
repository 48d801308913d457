// The add-in workbook's code modules as the host loads them with the package (AddinAbi.h).
#include "host/workbook/WorkbookProject.h"
#include "platform/AddinAbi.h"
#include "platform/IWorkbookCode.h"

namespace {
// Weak: the workbook owns its code, not the host's handle on it.
class WorkbookCode : public qv::IWorkbookCode {
  public:
    explicit WorkbookCode(std::weak_ptr<qv::xlam::WorkbookProject> project) : mProject(std::move(project)) {}
    std::shared_ptr<qv::IAddinEntry> quorvel() const override {
        auto p = mProject.lock();
        return p ? p->globals().goQuorvel : nullptr;
    }

  private:
    std::weak_ptr<qv::xlam::WorkbookProject> mProject;
};
} // namespace

extern "C" {

__attribute__((visibility("default"))) qv::IObject*
qv_attach_workbook_code(const qv::WorkbookPtr* book, const qv::PlatformServices* services) {
    if (!book || !*book || !services) return nullptr;
    try {
        return new WorkbookCode(qv::xlam::WorkbookProject::attach(*book, *services));
    } catch (...) {
        return nullptr;
    }
}
}
