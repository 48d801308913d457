// Shell services without touching the desktop: shortcuts built byte by byte, GUIDs, %NAME%
// expansion, the folders from the environment, and open() with a harmless opener.
#include "system/Shell.h"
#include "system/ShortcutReader.h"

#include "tests/support/EnvGuard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace qv;

namespace {

// Writes a shell link the way the published format lays it out.
class LinkBuilder {
  public:
    bool unicode = true;
    bool unicodeLinkInfo = false;
    std::string localBasePath; // Windows-1252 bytes when !unicode
    std::string workingDir, arguments, name;
    std::string networkName, pathSuffix;

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> b;
        std::uint32_t flags = 0x1 | 0x2; // an item id list and a LinkInfo
        if (!name.empty()) flags |= 0x4;
        if (!workingDir.empty()) flags |= 0x10;
        if (!arguments.empty()) flags |= 0x20;
        if (unicode) flags |= 0x80;
        u32(b, 0x4C);
        const std::uint8_t clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
        b.insert(b.end(), clsid, clsid + 16);
        u32(b, flags);
        b.resize(0x4C, 0); // attributes, times, size, icon, show command, hot key, reserved
        u16(b, 4);         // an item id list this reader skips
        b.insert(b.end(), {2, 0, 0, 0});
        linkInfo(b);
        for (const std::string* s : {&name, &workingDir, &arguments})
            if (!s->empty()) counted(b, *s);
        return b;
    }

  private:
    static void u16(std::vector<std::uint8_t>& b, std::uint32_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    static void u32(std::vector<std::uint8_t>& b, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    static void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    // ASCII-only text to UTF-16LE, enough for the paths these tests use.
    static void utf16z(std::vector<std::uint8_t>& b, const std::string& s) {
        for (char c : s)
            u16(b, static_cast<unsigned char>(c));
        u16(b, 0);
    }
    void counted(std::vector<std::uint8_t>& b, const std::string& s) const {
        u16(b, static_cast<std::uint32_t>(s.size()));
        for (char c : s) {
            if (unicode)
                u16(b, static_cast<unsigned char>(c));
            else
                b.push_back(static_cast<std::uint8_t>(c));
        }
    }
    void linkInfo(std::vector<std::uint8_t>& b) const {
        const std::size_t start = b.size();
        const std::uint32_t headerSize = unicodeLinkInfo ? 0x24 : 0x1C;
        b.resize(start + headerSize, 0);
        std::vector<std::uint8_t> body;
        auto offset = [&] { return static_cast<std::uint32_t>(headerSize + body.size()); };
        std::uint32_t flags = 0;
        if (!localBasePath.empty()) {
            flags |= 1;
            put32(b, start + 12, offset()); // volume id: a minimal one
            u32(body, 0x11);
            body.insert(body.end(), 13, 0);
            put32(b, start + 16, offset());
            body.insert(body.end(), localBasePath.begin(), localBasePath.end());
            body.push_back(0);
            if (unicodeLinkInfo) {
                put32(b, start + 28, offset());
                utf16z(body, localBasePath);
            }
        }
        if (!networkName.empty()) {
            flags |= 2;
            put32(b, start + 20, offset());
            std::vector<std::uint8_t> net;
            u32(net, 0); // size, filled below
            u32(net, 0);
            u32(net, 0x14); // net name offset
            u32(net, 0);
            u32(net, 0);
            net.insert(net.end(), networkName.begin(), networkName.end());
            net.push_back(0);
            put32(net, 0, static_cast<std::uint32_t>(net.size()));
            body.insert(body.end(), net.begin(), net.end());
        }
        put32(b, start + 24, offset());
        body.insert(body.end(), pathSuffix.begin(), pathSuffix.end());
        body.push_back(0);
        b.insert(b.end(), body.begin(), body.end());
        put32(b, start, static_cast<std::uint32_t>(b.size() - start));
        put32(b, start + 4, headerSize);
        put32(b, start + 8, flags);
    }
};

} // namespace

TEST(ShortcutReaderTest, DesktopEntrySplitsExecIntoProgramAndQuotedArguments) {
    const char* entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Orders\n"
        "Exec=\"/opt/Office App/msaccess\" \"/data/my db.mdb\" /wrkgrp \"/data/sec.mdw\" /user Zoë %f\n"
        "Path=/data/werk\\smap\n"
        "\n"
        "[Desktop Action other]\n"
        "Exec=/bin/false\n"
        "Path=/nowhere\n";
    auto info = ShortcutReader::parseDesktopEntry(entry);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->targetPath, "/opt/Office App/msaccess");
    EXPECT_EQ(info->arguments, "\"/data/my db.mdb\" /wrkgrp /data/sec.mdw /user Zoë");
    EXPECT_EQ(info->workingDirectory, "/data/werk map");
}

TEST(ShortcutReaderTest, ExecQuotingEscapesAndFieldCodes) {
    EXPECT_EQ(ShortcutReader::splitExec(R"(prog "a \"q\" \\ \$x" 100%% %U "" --flag=%f)"),
              (std::vector<std::string>{"prog", "a \"q\" \\ $x", "100%", "", "--flag="}));
    EXPECT_EQ(ShortcutReader::joinArguments({"plain", "with space", "say \"hi\"", ""}),
              "plain \"with space\" \"say \\\"hi\\\"\" \"\"");
}

TEST(ShortcutReaderTest, TextThatIsNoDesktopEntryIsNoShortcut) {
    EXPECT_FALSE(ShortcutReader::parseDesktopEntry("Exec=/bin/sh\n"));
    EXPECT_FALSE(ShortcutReader::parseDesktopEntry("[Desktop Entry]\nName=No program\n"));
    auto link =
        ShortcutReader::parseDesktopEntry("[Desktop Entry]\nType=Link\nURL=https://example.org/a b\n");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->targetPath, "https://example.org/a b");
}

TEST(ShortcutReaderTest, UnicodeShellLinkGivesTargetArgumentsAndWorkingFolder) {
    LinkBuilder lb;
    lb.unicodeLinkInfo = true;
    lb.localBasePath = "C:\\Program Files\\Microsoft Office\\Office12\\MSACCESS.EXE";
    lb.name = "Orders";
    lb.workingDir = "C:\\Data";
    lb.arguments = "\"C:\\Data\\orders.mdb\" /wrkgrp \"C:\\Data\\sec.mdw\" /user jan";
    auto info = ShortcutReader::parseShellLink(lb.build());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->targetPath, lb.localBasePath);
    EXPECT_EQ(info->arguments, lb.arguments);
    EXPECT_EQ(info->workingDirectory, "C:\\Data");
}

TEST(ShortcutReaderTest, AnsiShellLinkTextIsConvertedFromTheWindowsCodePage) {
    LinkBuilder lb;
    lb.unicode = false;
    lb.localBasePath = "C:\\Gebruikers\\Zo\xEB\\Access.exe";
    lb.arguments = "/user Zo\xEB";
    auto info = ShortcutReader::parseShellLink(lb.build());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->targetPath, "C:\\Gebruikers\\Zoë\\Access.exe");
    EXPECT_EQ(info->arguments, "/user Zoë");
    EXPECT_EQ(info->workingDirectory, "");
}

TEST(ShortcutReaderTest, NetworkShellLinkJoinsShareAndSuffix) {
    LinkBuilder lb;
    lb.networkName = "\\\\server\\share";
    lb.pathSuffix = "apps\\MSACCESS.EXE";
    auto info = ShortcutReader::parseShellLink(lb.build());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->targetPath, "\\\\server\\share\\apps\\MSACCESS.EXE");
}

TEST(ShortcutReaderTest, EveryTruncatedShellLinkIsRejectedWithoutReadingPastItsEnd) {
    LinkBuilder lb;
    lb.unicodeLinkInfo = true;
    lb.localBasePath = "C:\\x.exe";
    lb.workingDir = "C:\\";
    lb.arguments = "/a";
    auto full = lb.build();
    for (std::size_t n = 0; n < full.size(); ++n) {
        std::vector<std::uint8_t> part(full.begin(), full.begin() + static_cast<long>(n));
        EXPECT_FALSE(ShortcutReader::parseShellLink(part)) << "prefix of " << n << " bytes";
    }
    // A LinkInfo whose offsets point outside it makes the whole link damaged: it reads as no
    // shortcut (and the person is told to pick a valid one) rather than as a half-read target.
    full[0x4C + 6 + 16] = 0xF0;
    EXPECT_FALSE(ShortcutReader::parseShellLink(full));
    full[0x4C + 6 + 16] = 0;
    auto info = ShortcutReader::parseShellLink(lb.build());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->arguments, "/a");
    EXPECT_EQ(info->targetPath, "C:\\x.exe");
}

TEST(ShellTest, ReadsShortcutFilesByContent) {
    auto dir = std::filesystem::temp_directory_path() / ("qv-shell-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    LinkBuilder lb;
    lb.localBasePath = "C:\\a.exe";
    auto bytes = lb.build();
    std::ofstream(dir / "named-wrongly.desktop", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::ofstream(dir / "app.lnk") << "[Desktop Entry]\nExec=/usr/bin/env x\n";
    std::ofstream(dir / "other.txt") << "hello";
    Shell shell;
    EXPECT_EQ(shell.readShortcut((dir / "named-wrongly.desktop").string())->targetPath, "C:\\a.exe");
    EXPECT_EQ(shell.readShortcut((dir / "app.lnk").string())->targetPath, "/usr/bin/env");
    EXPECT_FALSE(shell.readShortcut((dir / "other.txt").string()));
    EXPECT_FALSE(shell.readShortcut((dir / "missing.lnk").string()));
    EXPECT_TRUE(shell.fileExists((dir / "other.txt").string()));
    EXPECT_FALSE(shell.fileExists(dir.string())); // a folder is not a file
    std::filesystem::remove_all(dir);
}

// A path from a file dialog can name anything; before, a FIFO blocked the host forever and a
// device like /dev/zero was read until memory ran out. The test runs the read in a child with a
// deadline, so a regression fails here instead of hanging the suite.
TEST(ShellTest, ShortcutReaderRefusesFifosDevicesFoldersAndOversizedFiles) {
    auto dir = std::filesystem::temp_directory_path() / ("qv-shell-special-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "pipe.lnk").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = (dir / "big.desktop").string();
    {
        std::ofstream out(big, std::ios::binary);
        out << "[Desktop Entry]\nExec=/usr/bin/env x\n";
        out << std::string(ShortcutReader::MaxFileSize, '#');
    }
    const std::string atLimit = (dir / "limit.desktop").string();
    {
        std::ofstream out(atLimit, std::ios::binary);
        const std::string head = "[Desktop Entry]\nExec=/usr/bin/env x\n";
        out << head << std::string(ShortcutReader::MaxFileSize - head.size(), '#');
    }
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(10);
        Shell shell;
        bool ok = !shell.readShortcut(fifo) && !shell.readShortcut("/dev/zero") &&
                  !shell.readShortcut("/dev/null") && !shell.readShortcut(dir.string()) &&
                  !shell.readShortcut(big) && shell.readShortcut(atLimit).has_value() &&
                  shell.readShortcut(atLimit)->targetPath == "/usr/bin/env";
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status)) << "the reader hung or crashed (signal " << WTERMSIG(status) << ")";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "a special file or oversized file read as a shortcut";
    std::filesystem::remove_all(dir);
}

TEST(ShellTest, GuidsAreUpperCaseVersionFourAndDistinct) {
    Shell shell;
    const std::regex form(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\})");
    std::set<std::string> seen;
    for (int i = 0; i < 500; ++i) {
        std::string g = shell.newGuid();
        ASSERT_TRUE(std::regex_match(g, form)) << g;
        EXPECT_TRUE(seen.insert(g).second) << g;
    }
}

TEST(ShellTest, ExpandsKnownNamesAndLeavesTheRest) {
    test::EnvGuard a("QV_TEST_DIR", "/srv/Zoë");
    test::EnvGuard b("QV_TEST_NOT_SET", nullptr);
    Shell shell;
    EXPECT_EQ(shell.expandEnvironment("%QV_TEST_DIR%\\x"), "/srv/Zoë\\x");
    EXPECT_EQ(shell.expandEnvironment("%qv_test_dir%"), "/srv/Zoë");
    EXPECT_EQ(shell.expandEnvironment("%QV_TEST_NOT_SET%\\x"), "%QV_TEST_NOT_SET%\\x");
    EXPECT_EQ(shell.expandEnvironment("%QV_TEST_NOT_SET%QV_TEST_DIR%"), "%QV_TEST_NOT_SET/srv/Zoë");
    EXPECT_EQ(shell.expandEnvironment("100% and %%"), "100% and %%");
    EXPECT_EQ(shell.expandEnvironment("%"), "%");
}

TEST(ShellTest, FoldersComeFromTheEnvironment) {
    auto cfg = std::filesystem::temp_directory_path() / ("qv-cfg-" + std::to_string(::getpid()));
    std::filesystem::create_directories(cfg);
    test::EnvGuard home("HOME", "/home/zoë");
    test::EnvGuard xdg("XDG_CONFIG_HOME", cfg.c_str());
    Shell shell;
    EXPECT_EQ(shell.documentsFolder(), "/home/zoë/Documents");
    std::ofstream(cfg / "user-dirs.dirs")
        << "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Documenten\"\n";
    EXPECT_EQ(shell.documentsFolder(), "/home/zoë/Documenten");
    std::filesystem::remove_all(cfg);
    {
        test::EnvGuard tmp("TMPDIR", "/var/tmp//");
        EXPECT_EQ(shell.tempFolder(), "/var/tmp/");
    }
    {
        test::EnvGuard tmp("TMPDIR", nullptr);
        EXPECT_EQ(shell.tempFolder(), "/tmp/");
    }
    EXPECT_EQ(Shell(ShellOptions{.libraryFolder = "/opt/quorvel/"}).libraryFolder(), "/opt/quorvel");
    EXPECT_EQ(shell.executableName(), "test_system");
}

TEST(ShellTest, ProgramSearchFollowsPath) {
    Shell shell;
    EXPECT_TRUE(shell.programAvailable("sh"));
    EXPECT_TRUE(shell.programAvailable("/bin/sh"));
    EXPECT_FALSE(shell.programAvailable("qv-no-such-program"));
    test::EnvGuard path("PATH", "/nonexistent");
    EXPECT_FALSE(shell.programAvailable("sh"));
}

TEST(ShellTest, OpenHandsTheAddressOverAsOneArgumentWithoutAShell) {
    auto dir = std::filesystem::temp_directory_path() / ("qv-open-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    // Were this text given to a shell, it would create "pwned" and not the file itself.
    const auto target = dir / "a b; touch pwned $(touch pwned2)";
    Shell shell(ShellOptions{.opener = "touch"});
    ASSERT_TRUE(shell.open(target.string()));
    // open() does not wait for the opener; give it a moment to run.
    for (int i = 0; i < 200 && !std::filesystem::exists(target); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_FALSE(std::filesystem::exists("pwned"));
    EXPECT_FALSE(std::filesystem::exists("pwned2"));
    EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
    std::filesystem::remove_all(dir);

    EXPECT_FALSE(Shell(ShellOptions{.opener = "qv-no-such-opener"}).open("https://example.org"));
    EXPECT_FALSE(shell.open(""));
}

TEST(ShellTest, StartProgramPassesArgumentsVerbatimAndRefusesUnknownPrograms) {
    auto dir = std::filesystem::temp_directory_path() / ("qv-start-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto marker = dir / "a b; $(x)";
    Shell shell;
    EXPECT_FALSE(shell.startProgram("qv-no-such-program"));
    ASSERT_TRUE(shell.startProgram("touch", {marker.string()}));
    // The program runs detached; give it a moment to create the file.
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i)
        ::usleep(10000);
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
              1);
    std::filesystem::remove_all(dir);
}
