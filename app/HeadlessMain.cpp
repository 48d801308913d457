// The headless runner: the add-in on our spreadsheet host without a screen. It wires what the
// desktop application wires (registry store, shell, class factory with the database engines,
// the add-in library found by ProgID), answers every prompt from a script, and prints what a
// person would have seen. Used for demonstrations and automation.
#include "app/HeadlessSession.h"
#include "app/SqliteCopy.h"

#include "platform/NumberedError.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <fmt/format.h>
#include <string>

namespace {
void usage(std::FILE* to) {
    std::fputs(
        "usage: quorvel-headless [--dutch] [--progress] [--revision N] [--script FILE] [--database FILE]\n"
        "                        [--table NAME] [--save FILE.xlsx]\n"
        "       quorvel-headless --database ACCESS_FILE --save-copy-as-sqlite NEW_FILE [--password TEXT]\n"
        "  Starts the add-in on the spreadsheet host, prints its menu and ribbon states and the\n"
        "  prompts it shows. With --database the add-in's \"Open database\" opens the file through\n"
        "  its open dialog (asking for a password when it has one) and lists its tables and queries;\n"
        "  --table picks one from the \"Tables\" drop-down and --save writes that sheet, replacing\n"
        "  the file when it exists. The script (a file, or - for standard input) holds what a\n"
        "  person does (pick, select, enter, paste, key, show) and the answers to the prompts;\n"
        "  see the README. --progress prints the progress of long loads. --save-copy-as-sqlite\n"
        "  copies the whole Access database into a new SQLite file (never over an existing one).\n"
        "  Exit status: 0 done; 1 a step failed, was cancelled or did not save, or the prompts went\n"
        "  out of step with the script; 2 wrong command line or unreadable script.\n",
        to);
}

bool parseInt(const std::string& s, int& out) {
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, out);
    return ec == std::errc() && p == end && !s.empty();
}
} // namespace

int main(int argc, char** argv) {
    using namespace qv::app;
    HeadlessOptions o;
    std::string copyTo;
    std::string password;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool takesValue = a == "--revision" || a == "--script" || a == "--database" || a == "--table" ||
                                a == "--save" || a == "--save-copy-as-sqlite" || a == "--password";
        if (takesValue && i + 1 >= argc) {
            std::fprintf(stderr, "%s needs a value\n", a.c_str());
            return ExitUsage;
        }
        if (a == "--dutch") {
            o.dutch = true;
        } else if (a == "--progress") {
            o.progress = true;
        } else if (a == "--revision") {
            if (!parseInt(argv[++i], o.revision)) {
                std::fprintf(stderr, "--revision needs a whole number, not '%s'\n", argv[i]);
                return ExitUsage;
            }
        } else if (a == "--script") {
            o.scriptFile = argv[++i];
        } else if (a == "--database") {
            o.database = argv[++i];
        } else if (a == "--table") {
            o.table = argv[++i];
        } else if (a == "--save") {
            o.saveAs = argv[++i];
        } else if (a == "--save-copy-as-sqlite") {
            copyTo = argv[++i];
        } else if (a == "--password") {
            password = argv[++i];
        } else if (a == "--help" || a == "-h") {
            usage(stdout);
            return ExitOk;
        } else {
            usage(stderr);
            return ExitUsage;
        }
    }
    if (!o.table.empty() && o.database.empty()) {
        std::fputs("--table needs --database\n", stderr);
        return ExitUsage;
    }
    if (!o.saveAs.empty() && o.table.empty()) {
        std::fputs("--save needs --table\n", stderr);
        return ExitUsage;
    }
    if (!copyTo.empty() && (o.database.empty() || !o.table.empty())) {
        std::fputs("--save-copy-as-sqlite needs --database and no --table\n", stderr);
        return ExitUsage;
    }
    if (!password.empty() && copyTo.empty()) {
        std::fputs("--password goes with --save-copy-as-sqlite\n", stderr);
        return ExitUsage;
    }
    o.executablePath = argv[0];
    // Whatever escapes the add-in's own error handling still ends as a failure with a reason.
    try {
        if (!copyTo.empty()) {
            SqliteCopy::save(o.database, password, copyTo);
            return ExitOk;
        }
        return HeadlessSession(o).run();
    } catch (const qv::NumberedError& e) {
        std::string text = e.description();
        std::replace(text.begin(), text.end(), '\r', '\n');
        fmt::print(stderr, "Error {}: {}\n", e.number(), text);
    } catch (const std::exception& e) {
        fmt::print(stderr, "Error: {}\n", e.what());
    }
    return ExitFailed;
}
