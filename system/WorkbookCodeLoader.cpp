// The code is loaded with RTLD_NODELETE and never closed: the macros it registered live in the
// host's tables, and a workbook's code stays with the host until it quits.
#include "system/WorkbookCodeLoader.h"

#include "platform/AddinAbi.h"
#include "platform/NumberedError.h"

#include <dlfcn.h>
#include <filesystem>

namespace qv {

namespace {
[[noreturn]] void refuse(const std::string& what) {
    throw NumberedError(err::ApplicationDefined, "WorkbookCodeLoader", what);
}
} // namespace

std::string WorkbookCodeLoader::codePathFor(const std::string& packagePath) {
    const std::filesystem::path p(packagePath);
    return (p.parent_path() / ("lib" + p.stem().string() + "-modules.so")).string();
}

std::shared_ptr<IWorkbookCode> WorkbookCodeLoader::attach(const WorkbookPtr& book,
                                                          const PlatformServices& services) {
    if (!book) refuse("There is no workbook to attach code to.");
    const std::string path = codePathFor(book->fullName());
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return nullptr;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        const char* why = ::dlerror();
        refuse("The code of '" + book->name() + "' cannot be loaded: " + (why ? why : path));
    }
    ::dlerror();
    auto attachFn =
        reinterpret_cast<addin::AttachWorkbookCodeFn>(::dlsym(handle, addin::AttachWorkbookCodeSymbol));
    if (!attachFn)
        refuse("The code of '" + book->name() + "' (" + path + ") has no " + addin::AttachWorkbookCodeSymbol);
    IObject* raw = attachFn(&book, &services);
    auto code = std::shared_ptr<IObject>(raw);
    auto typed = std::dynamic_pointer_cast<IWorkbookCode>(code);
    if (!typed) refuse("The code of '" + book->name() + "' (" + path + ") could not be attached.");
    return typed;
}

} // namespace qv
