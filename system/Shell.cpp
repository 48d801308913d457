// Shell services. open() forks twice so that the opener never becomes a zombie of the host:
// the intermediate child starts the opener with posix_spawnp (which reports a failed exec)
// and exits at once with the outcome; the opener is then adopted by init.
#include "system/Shell.h"

#include "platform/NumberedError.h"
#include "system/ShortcutReader.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qv {

namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
}

std::string stripTrailingSlash(std::string s) {
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

// The documents entry of user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documenten".
std::string xdgDocumentsDir() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string config = xdg && *xdg ? xdg : homeFolder() + "/.config";
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.rfind(key, 0) != 0) continue;
        std::string v = line.substr(key.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0) v = homeFolder() + v.substr(5);
        if (!v.empty() && v.front() == '/' && stripTrailingSlash(v) != stripTrailingSlash(homeFolder()))
            return stripTrailingSlash(v);
        return {}; // a documents folder equal to home means "none"
    }
    return {};
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> environmentValue(const std::string& name) {
    if (name.empty()) return std::nullopt;
    if (const char* v = std::getenv(name.c_str())) return std::string(v);
    for (char** e = environ; e && *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (!eq || static_cast<std::size_t>(eq - *e) != name.size()) continue;
        if (::strncasecmp(*e, name.c_str(), name.size()) == 0) return std::string(eq + 1);
    }
    return std::nullopt;
}

} // namespace

Shell::Shell(ShellOptions options) : mOptions(std::move(options)) {}

bool Shell::open(const std::string& target) {
    if (target.empty()) return false;
    // An address that begins with '-' would be read as an option by the opener.
    const std::string arg = target.front() == '-' ? "./" + target : target;
    return spawnDetached(mOptions.opener, {arg});
}

bool Shell::startProgram(const std::string& program, const std::vector<std::string>& arguments) {
    if (program.empty() || !programAvailable(program)) return false;
    return spawnDetached(program, arguments);
}

bool Shell::spawnDetached(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        ::setsid();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t started = 0;
        int rc = ::posix_spawnp(&started, program.c_str(), &actions, nullptr, argv.data(), environ);
        ::_exit(rc == 0 ? 0 : 127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Shell::documentsFolder() {
    std::string dir = xdgDocumentsDir();
    return dir.empty() ? stripTrailingSlash(homeFolder()) + "/Documents" : dir;
}

std::string Shell::tempFolder() {
    const char* t = std::getenv("TMPDIR");
    std::string dir = t && *t ? t : "/tmp";
    return stripTrailingSlash(dir) + (dir == "/" ? "" : "/");
}

std::string Shell::libraryFolder() {
    if (!mOptions.libraryFolder.empty()) return stripTrailingSlash(mOptions.libraryFolder);
    Dl_info info{};
    static const int anchor = 0;
    if (::dladdr(&anchor, &info) && info.dli_fname && *info.dli_fname) {
        std::error_code ec;
        auto p = std::filesystem::canonical(info.dli_fname, ec);
        if (!ec) return p.parent_path().string();
    }
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

std::string Shell::executableName() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return exe.filename().string();
    return program_invocation_short_name;
}

std::optional<ShortcutInfo> Shell::readShortcut(const std::string& path) {
    return ShortcutReader::readFile(path);
}

std::string Shell::newGuid() {
    unsigned char b[16] = {};
    std::ifstream random("/dev/urandom", std::ios::binary);
    if (!random.read(reinterpret_cast<char*>(b), sizeof b))
        throw NumberedError(err::FileNotFound, "Shell", "Cannot read /dev/urandom for a new GUID");
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40); // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80); // RFC 4122 variant
    return fmt::format("{{{:02X}{:02X}{:02X}{:02X}-{:02X}{:02X}-{:02X}{:02X}-{:02X}{:02X}-{:02X}{:02X}{:02X}{"
                       ":02X}{:02X}{:02X}}}",
                       b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                       b[14], b[15]);
}

bool Shell::fileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Shell::expandEnvironment(const std::string& text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('%', i);
        if (open == std::string::npos) break;
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        out.append(text, i, open - i);
        if (auto value = environmentValue(text.substr(open + 1, close - open - 1))) {
            out += *value;
            i = close + 1;
        } else {
            // Not a known name: keep the '%' and the text, and let the closing '%' start the
            // next reference ("%NOPE%HOME%" still expands HOME).
            out.append(text, open, close - open);
            i = close;
        }
    }
    out.append(text, i, std::string::npos);
    return out;
}

bool Shell::programAvailable(const std::string& name) {
    if (name.empty()) return false;
    if (name.find('/') != std::string::npos) return isExecutableFile(name);
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (isExecutableFile((dir.empty() ? "." : dir) + "/" + name)) return true;
        start = end + 1;
    }
    return false;
}

} // namespace qv
