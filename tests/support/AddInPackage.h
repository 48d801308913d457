#pragma once
// An add-in package as a person saves one: a workbook with a title, in the add-in format, for the
// tests of the host's add-in list and of the dialog over it.
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Workbook.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <string>

namespace qv::test {

// Writes dir/file (folders made as needed) and answers its path; an empty title leaves it out.
inline std::string makeAddInPackage(const TempDir& dir, const std::string& file, const std::string& title) {
    auto app = sheet::Application::create();
    auto book = std::dynamic_pointer_cast<sheet::Workbook>(app->addWorkbook());
    if (!title.empty()) book->setBuiltinProperty("Title", Variant(title));
    book->setWindowHidden(true);
    const std::string path = dir.file(file);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    book->saveAs(path, xl::FileFormatXlam);
    book->close(false);
    return path;
}

} // namespace qv::test
