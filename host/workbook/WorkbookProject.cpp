#include "host/workbook/WorkbookProject.h"

#include "platform/NumberedError.h"

namespace qv::xlam {

std::shared_ptr<WorkbookProject> WorkbookProject::attach(const WorkbookPtr& book,
                                                         const PlatformServices& services) {
    if (!book)
        throw NumberedError(ERR_OBJECT_NOT_SET, "WorkbookProject", "No workbook to attach the code to");
    const ApplicationPtr app = book->application();
    if (!app) throw NumberedError(ERR_OBJECT_NOT_SET, "WorkbookProject", "The workbook has no application");
    std::shared_ptr<WorkbookProject> project(new WorkbookProject());
    project->mGlobals.services = &services;
    project->mGlobals.thisWorkbook = book;
    project->mGlobals.application = app;
    project->mRibbon.registerMacros(*app, book, project);
    project->mThisWorkbook.registerMacros(*app, book, project);
    return project;
}

} // namespace qv::xlam
