// Desktop entries and shell links. Shell links are read by liblnk from memory (through a libbfio
// memory range), so the bounded file read below stays the only access to the file. Text in a
// link is either UTF-16LE or the writer's ANSI code page; liblnk's default, Windows-1252, covers
// the Dutch and English installations the product was made for.
#include "system/ShortcutReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sys/mman.h>
#include <unistd.h>
// libbfio first: liblnk offers its memory-handle entry point only when it sees libbfio.
#include <libbfio.h>
#include <liblnk.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

// liblnk reports a missing value with 0 and a failure with -1; its error objects are owned
// by the caller.
struct LnkError {
    liblnk_error_t* e = nullptr;
    ~LnkError() {
        if (e) liblnk_error_free(&e);
    }
};

struct LnkFile {
    liblnk_file_t* f = nullptr;
    bool open = false;
    ~LnkFile() {
        LnkError err;
        if (open) liblnk_file_close(f, &err.e);
        if (f) liblnk_file_free(&f, &err.e);
    }
};

struct BfioHandle {
    libbfio_handle_t* h = nullptr;
    ~BfioHandle() {
        libbfio_error_t* e = nullptr;
        if (h) libbfio_handle_free(&h, &e);
        if (e) libbfio_error_free(&e);
    }
};

using SizeGetter = int (*)(liblnk_file_t*, size_t*, liblnk_error_t**);
using TextGetter = int (*)(liblnk_file_t*, uint8_t*, size_t, liblnk_error_t**);

// One UTF-8 string of the link; empty when the link does not carry it or it cannot be read.
std::string lnkText(liblnk_file_t* file, SizeGetter size, TextGetter text) {
    LnkError err;
    size_t n = 0;
    if (size(file, &n, &err.e) != 1 || n == 0 || n > ShortcutReader::MaxFileSize) return {};
    std::string out(n, '\0');
    if (text(file, reinterpret_cast<uint8_t*>(out.data()), n, &err.e) != 1) return {};
    out.resize(std::strlen(out.c_str()));
    return out;
}

// Owns one open file descriptor.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : mFd(fd) {}
    ~FileDescriptor() {
        if (mFd >= 0) ::close(mFd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return mFd; }

  private:
    int mFd;
};

bool needsQuotes(const std::string& a) {
    return a.empty() || a.find_first_of(" \t\"") != std::string::npos;
}

// The escapes of a desktop entry's string values (\s, \n, \t, \r, \\).
std::string unescapeValue(std::string_view v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        switch (v[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            out += v[i];
        }
    }
    return out;
}

} // namespace

std::vector<std::string> ShortcutReader::splitExec(std::string_view exec) {
    std::vector<std::string> args;
    std::string cur;
    bool inArg = false, quoted = false, onlyFieldCode = false;
    auto finish = [&] {
        // An argument that was nothing but a field code disappears; a quoted empty one stays.
        if (inArg && !(onlyFieldCode && cur.empty())) args.push_back(cur);
        cur.clear();
        inArg = quoted = onlyFieldCode = false;
    };
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
                cur += exec[++i];
            } else {
                cur += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t') {
            finish();
            continue;
        }
        if (!inArg) onlyFieldCode = true;
        inArg = true;
        if (c == '"') {
            quoted = true;
            onlyFieldCode = false;
        } else if (c == '%' && i + 1 < exec.size()) {
            const char code = exec[++i];
            if (code == '%') {
                cur += '%';
                onlyFieldCode = false;
            } // every other field code stands for something the launcher fills in: dropped
        } else {
            cur += c;
            onlyFieldCode = false;
        }
    }
    finish();
    return args;
}

std::string ShortcutReader::joinArguments(const std::vector<std::string>& args) {
    std::string out;
    for (const auto& a : args) {
        if (!out.empty()) out += ' ';
        if (!needsQuotes(a)) {
            out += a;
            continue;
        }
        out += '"';
        for (char c : a) {
            if (c == '"') out += '\\';
            out += c;
        }
        out += '"';
    }
    return out;
}

std::optional<ShortcutInfo> ShortcutReader::parseDesktopEntry(std::string_view text) {
    bool inGroup = false, sawGroup = false;
    std::optional<std::string> exec, path, url, type;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            sawGroup = sawGroup || inGroup;
            continue;
        }
        if (!inGroup) continue;
        auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        while (!key.empty() && key.back() == ' ')
            key.remove_suffix(1);
        while (!value.empty() && value.front() == ' ')
            value.remove_prefix(1);
        if (key == "Exec")
            exec = unescapeValue(value);
        else if (key == "Path")
            path = unescapeValue(value);
        else if (key == "URL")
            url = unescapeValue(value);
        else if (key == "Type")
            type = std::string(value);
    }
    if (!sawGroup) return std::nullopt;
    ShortcutInfo info;
    info.workingDirectory = path.value_or("");
    if (type == "Link") {
        if (!url) return std::nullopt;
        info.targetPath = *url;
        return info;
    }
    if (!exec) return std::nullopt;
    auto args = splitExec(*exec);
    if (args.empty()) return std::nullopt;
    info.targetPath = args.front();
    info.arguments = joinArguments(std::vector<std::string>(args.begin() + 1, args.end()));
    return info;
}

std::optional<ShortcutInfo> ShortcutReader::parseShellLink(const std::vector<std::uint8_t>& bytes) {
    // A shell link starts with its 76-byte header; anything shorter is no link.
    constexpr std::size_t HeaderSize = 76;
    if (bytes.size() < HeaderSize || bytes.size() > MaxFileSize) return std::nullopt;
    // liblnk reads the link through a file handle on an anonymous in-memory file. Its memory
    // range handle copies a whole request even where a crafted offset runs past the range's end
    // (found by fuzzing under AddressSanitizer); a file read stops at the end of the file.
    struct MemFile {
        int fd = -1;
        ~MemFile() {
            if (fd >= 0) ::close(fd);
        }
    } file;
    file.fd = ::memfd_create("quorvel-shortcut", MFD_CLOEXEC);
    if (file.fd < 0) return std::nullopt;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(file.fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return std::nullopt;
        done += static_cast<std::size_t>(n);
    }
    const std::string name = "/proc/self/fd/" + std::to_string(file.fd);
    BfioHandle range;
    libbfio_error_t* bfioError = nullptr;
    const bool ranged = libbfio_file_initialize(&range.h, &bfioError) == 1 &&
                        libbfio_file_set_name(range.h, name.c_str(), name.size(), &bfioError) == 1;
    if (bfioError) libbfio_error_free(&bfioError);
    if (!ranged) return std::nullopt;
    LnkFile link;
    LnkError err;
    if (liblnk_file_initialize(&link.f, &err.e) != 1) return std::nullopt;
    if (liblnk_file_open_file_io_handle(link.f, range.h, LIBLNK_OPEN_READ, &err.e) != 1) return std::nullopt;
    link.open = true;
    ShortcutInfo info;
    info.targetPath = lnkText(link.f, liblnk_file_get_utf8_local_path_size, liblnk_file_get_utf8_local_path);
    if (info.targetPath.empty())
        info.targetPath =
            lnkText(link.f, liblnk_file_get_utf8_network_path_size, liblnk_file_get_utf8_network_path);
    // Without a LinkInfo the relative path is all there is to go by.
    if (info.targetPath.empty())
        info.targetPath =
            lnkText(link.f, liblnk_file_get_utf8_relative_path_size, liblnk_file_get_utf8_relative_path);
    info.workingDirectory =
        lnkText(link.f, liblnk_file_get_utf8_working_directory_size, liblnk_file_get_utf8_working_directory);
    info.arguments = lnkText(link.f, liblnk_file_get_utf8_command_line_arguments_size,
                             liblnk_file_get_utf8_command_line_arguments);
    return info;
}

std::optional<ShortcutInfo> ShortcutReader::readFile(const std::string& path) {
    auto bytes = readBounded(path, MaxFileSize);
    if (!bytes) return std::nullopt;
    if (bytes->size() >= 4 && (*bytes)[0] == 0x4C && (*bytes)[1] == 0 && (*bytes)[2] == 0 && (*bytes)[3] == 0)
        return parseShellLink(*bytes);
    return parseDesktopEntry(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

std::optional<std::vector<std::uint8_t>> ShortcutReader::readBounded(const std::string& path,
                                                                     std::size_t limit) {
    // Non-blocking, so that opening a FIFO nobody writes to returns at once instead of waiting
    // for a writer; the type test below then turns it away.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    const int fd = file.get();
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::uint64_t>(st.st_size) > limit)
        return std::nullopt;
    // The size is read again as the bytes arrive: a file that grows while it is read is still
    // cut off at the limit.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (bytes.size() > limit) return std::nullopt;
            bytes.resize(std::min(limit + 1, bytes.size() + 4096));
        }
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        have += static_cast<std::size_t>(n);
    }
    if (have > limit) return std::nullopt;
    bytes.resize(have);
    return bytes;
}

} // namespace qv
