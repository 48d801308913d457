// The headless runner: the add-in on our spreadsheet host without a screen. It wires what the
// desktop application wires (registry store, shell, class factory with the database engines,
// the add-in library found by ProgID), answers every prompt from a script, and prints what a
// person would have seen. Used for demonstrations and automation.
#include "app/HeadlessSession.h"
#include "platform/NumberedError.h"

#include <cstdio>
#include <exception>
#include <cstring>
#include <string>

namespace {
void usage() {
    std::puts("usage: quorvel-headless [--dutch] [--revision N] [--script FILE] [--database FILE]\n"
              "                        [--table NAME] [--save FILE.xlsx]\n"
              "  Starts the add-in on the spreadsheet host, prints its menu and ribbon states and the\n"
              "  prompts it shows. With --database it opens the database through the data source layer,\n"
              "  lists its tables and queries, and with --table loads one into a sheet (--save writes it).");
}
} // namespace

int main(int argc, char** argv) {
    qv::app::HeadlessOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&](const char* what) -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", what);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--dutch") o.dutch = true;
        else if (a == "--revision") o.revision = std::atoi(next("--revision").c_str());
        else if (a == "--script") o.scriptFile = next("--script");
        else if (a == "--database") o.database = next("--database");
        else if (a == "--table") o.table = next("--table");
        else if (a == "--save") o.saveAs = next("--save");
        else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else {
            usage();
            return 2;
        }
    }
    o.executablePath = argv[0];
    // A failure the session does not report itself still ends as a message and a failing exit
    // code, never as an abort that a calling script could mistake for a crash of the host.
    try {
        return qv::app::HeadlessSession(o).run();
    } catch (const qv::NumberedError& e) {
        std::fprintf(stderr, "Error %d: %s\n", static_cast<int>(e.number()), e.description().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Unexpected error: %s\n", e.what());
    }
    return 1;
}
