#pragma once
// Another spreadsheet program (LibreOffice, headless) as the judge of written files: whether it
// is installed, converting a file with it, and reading the csv it writes. Tests that need it
// skip with a clear message when it is absent (scripts/setup installs libreoffice-calc-nogui).
#include "tests/support/TestFiles.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace qv::test {

// "soffice" or "libreoffice", whichever is on PATH; "" when neither is.
inline std::string officeProgram() {
    for (const char* name : {"soffice", "libreoffice"})
        if (std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0) return name;
    return {};
}

// Converts `file` with the export filter into `dir`, with a profile of its own there so that
// parallel runs do not share one; false when the program fails or runs out of time.
inline bool officeConvert(const std::string& program, const TempDir& dir, const std::string& filter,
                          const std::string& file, int timeoutSeconds = 60) {
    std::string cmd = "cd '" + dir.path() + "' && timeout " + std::to_string(timeoutSeconds) + " " + program +
                      " -env:UserInstallation=file://" + dir.path() +
                      "/profile --headless --norestore --convert-to '" + filter + "' --outdir '" +
                      dir.path() + "' '" + file + "' >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Fields of a csv text as the program writes it: quoted fields may hold separators, doubled
// quotes and line breaks; lines end with LF or CR LF.
inline std::vector<std::vector<std::string>> parseOfficeCsv(const std::string& csv) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false, wasQuoted = false;
    for (std::size_t i = 0; i < csv.size(); ++i) {
        char c = csv[i];
        if (quoted) {
            if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"')
                field += '"', ++i;
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            rows.back().push_back(field);
            field.clear();
            wasQuoted = false;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') ++i;
            rows.back().push_back(field);
            field.clear();
            wasQuoted = false;
            rows.emplace_back();
        } else {
            field += c;
        }
    }
    if (!field.empty() || wasQuoted || !rows.back().empty()) rows.back().push_back(field);
    if (rows.back().empty()) rows.pop_back();
    return rows;
}

} // namespace qv::test
