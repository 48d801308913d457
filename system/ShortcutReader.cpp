// Desktop entries and shell links. The shell link layout follows the published Shell Link
// Binary File Format: a 76-byte header with the link flags, an optional item id list (skipped),
// the LinkInfo structure with the target's base path, then counted strings in a fixed order.
// Text in a link is either UTF-16LE or the writer's ANSI code page; Windows-1252 is assumed
// for the latter, which covers the Dutch and English installations the product was made for.
#include "system/ShortcutReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <iconv.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

constexpr std::uint32_t HasLinkTargetIdList = 0x1;
constexpr std::uint32_t HasLinkInfo = 0x2;
constexpr std::uint32_t HasName = 0x4;
constexpr std::uint32_t HasRelativePath = 0x8;
constexpr std::uint32_t HasWorkingDir = 0x10;
constexpr std::uint32_t HasArguments = 0x20;
constexpr std::uint32_t IsUnicode = 0x80;
constexpr std::uint32_t ForceNoLinkInfo = 0x100;

constexpr std::uint32_t VolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t CommonNetworkRelativeLinkAndPathSuffix = 0x2;

constexpr std::uint8_t LinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                        0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Converts with iconv; a byte that does not convert becomes '?', so a damaged name stays
// readable instead of being lost.
std::string toUtf8(const char* data, std::size_t size, const char* charset) {
    iconv_t cd = iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(data, size);
    std::string out;
    char buf[512];
    char* in = const_cast<char*>(data);
    std::size_t inLeft = size;
    while (inLeft > 0) {
        char* o = buf;
        std::size_t oLeft = sizeof buf;
        std::size_t rc = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf, static_cast<std::size_t>(o - buf));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += '?';
            const std::size_t skip = std::string_view(charset) == "UTF-16LE" ? 2 : 1;
            if (inLeft <= skip) break;
            in += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

// Bounds-checked little-endian reads over the link's bytes.
class Bytes {
  public:
    explicit Bytes(const std::vector<std::uint8_t>& b) : mB(b) {}
    bool has(std::size_t at, std::size_t n) const { return at <= mB.size() && n <= mB.size() - at; }
    std::optional<std::uint32_t> u16(std::size_t at) const {
        if (!has(at, 2)) return std::nullopt;
        return std::uint32_t(mB[at]) | (std::uint32_t(mB[at + 1]) << 8);
    }
    std::optional<std::uint32_t> u32(std::size_t at) const {
        if (!has(at, 4)) return std::nullopt;
        return std::uint32_t(mB[at]) | (std::uint32_t(mB[at + 1]) << 8) | (std::uint32_t(mB[at + 2]) << 16) |
               (std::uint32_t(mB[at + 3]) << 24);
    }
    // A NUL-terminated string starting at 'at' and ending before 'limit'.
    std::optional<std::string> ansiz(std::size_t at, std::size_t limit) const {
        limit = std::min(limit, mB.size());
        for (std::size_t i = at; i < limit; ++i)
            if (mB[i] == 0)
                return toUtf8(reinterpret_cast<const char*>(mB.data() + at), i - at, "WINDOWS-1252");
        return std::nullopt;
    }
    std::optional<std::string> unicodez(std::size_t at, std::size_t limit) const {
        limit = std::min(limit, mB.size());
        for (std::size_t i = at; i + 1 < limit; i += 2)
            if (mB[i] == 0 && mB[i + 1] == 0)
                return toUtf8(reinterpret_cast<const char*>(mB.data() + at), i - at, "UTF-16LE");
        return std::nullopt;
    }
    std::optional<std::string> counted(std::size_t at, std::size_t chars, bool unicode) const {
        const std::size_t n = unicode ? chars * 2 : chars;
        if (!has(at, n)) return std::nullopt;
        return toUtf8(reinterpret_cast<const char*>(mB.data() + at), n,
                      unicode ? "UTF-16LE" : "WINDOWS-1252");
    }
    std::size_t size() const { return mB.size(); }

  private:
    const std::vector<std::uint8_t>& mB;
};

// The LinkInfo structure: the target as a local path or as a network share plus suffix.
std::optional<std::string> linkInfoTarget(const Bytes& b, std::size_t at) {
    auto size = b.u32(at), headerSize = b.u32(at + 4), flags = b.u32(at + 8);
    if (!size || !headerSize || !flags || *size < 0x1C || !b.has(at, *size)) return std::nullopt;
    const std::size_t end = at + *size;
    const bool unicodeOffsets = *headerSize >= 0x24;
    auto localOff = b.u32(at + 16), networkOff = b.u32(at + 20), suffixOff = b.u32(at + 24);
    std::string suffix;
    if (unicodeOffsets && b.u32(at + 32).value_or(0) != 0) {
        suffix = b.unicodez(at + *b.u32(at + 32), end).value_or("");
    } else if (suffixOff && *suffixOff) {
        suffix = b.ansiz(at + *suffixOff, end).value_or("");
    }
    if (*flags & VolumeIdAndLocalBasePath) {
        std::optional<std::string> base;
        if (unicodeOffsets && b.u32(at + 28).value_or(0) != 0)
            base = b.unicodez(at + *b.u32(at + 28), end);
        else if (localOff)
            base = b.ansiz(at + *localOff, end);
        if (base) return *base + suffix;
    }
    if ((*flags & CommonNetworkRelativeLinkAndPathSuffix) && networkOff) {
        const std::size_t net = at + *networkOff;
        auto netSize = b.u32(net), netNameOff = b.u32(net + 8);
        if (!netSize || !netNameOff || net + *netSize > end) return std::nullopt;
        std::optional<std::string> name;
        if (*netNameOff > 0x14 && b.u32(net + 20).value_or(0) != 0)
            name = b.unicodez(net + *b.u32(net + 20), net + *netSize);
        else
            name = b.ansiz(net + *netNameOff, net + *netSize);
        if (name) return suffix.empty() ? *name : *name + "\\" + suffix;
    }
    return std::nullopt;
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
    Bytes b(bytes);
    if (!b.has(0, 0x4C) || b.u32(0) != 0x4Cu ||
        !std::equal(std::begin(LinkClsid), std::end(LinkClsid), bytes.begin() + 4))
        return std::nullopt;
    const std::uint32_t flags = *b.u32(20);
    std::size_t at = 0x4C;
    if (flags & HasLinkTargetIdList) {
        auto idListSize = b.u16(at);
        if (!idListSize) return std::nullopt;
        at += 2 + *idListSize;
    }
    ShortcutInfo info;
    if (flags & HasLinkInfo) {
        auto linkInfoSize = b.u32(at);
        if (!linkInfoSize || !b.has(at, *linkInfoSize)) return std::nullopt;
        if (!(flags & ForceNoLinkInfo)) info.targetPath = linkInfoTarget(b, at).value_or("");
        at += *linkInfoSize;
    }
    const bool unicode = flags & IsUnicode;
    std::string relativePath;
    for (std::uint32_t which : {HasName, HasRelativePath, HasWorkingDir, HasArguments}) {
        if (!(flags & which)) continue;
        auto count = b.u16(at);
        if (!count) return std::nullopt;
        auto s = b.counted(at + 2, *count, unicode);
        if (!s) return std::nullopt;
        at += 2 + (unicode ? 2 * *count : *count);
        if (which == HasRelativePath) relativePath = *s;
        if (which == HasWorkingDir) info.workingDirectory = *s;
        if (which == HasArguments) info.arguments = *s;
    }
    // Without a LinkInfo the relative path is all there is to go by.
    if (info.targetPath.empty()) info.targetPath = relativePath;
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
