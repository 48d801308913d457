#include "spreadsheet/model/WorkbookLock.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace qv::sheet {

namespace {

std::string machineName() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return {};
    return buf;
}

std::string userName() {
    const char* u = std::getenv("USER");
    return u ? u : "";
}

// The lock holds one line "user,machine,pid"; the user is cut at its last comma-free part so a
// comma in a name cannot shift the fields.
struct Owner {
    std::string machine;
    long pid = 0;
};

bool readOwner(const std::string& lockPath, Owner& owner) {
    std::ifstream in(lockPath);
    if (!in) return false;
    std::string line;
    std::getline(in, line);
    if (line.size() > 4096) return false;
    const std::size_t pidComma = line.rfind(',');
    if (pidComma == std::string::npos) return false;
    const std::size_t machineComma = line.rfind(',', pidComma == 0 ? 0 : pidComma - 1);
    if (machineComma == std::string::npos) return false;
    owner.machine = line.substr(machineComma + 1, pidComma - machineComma - 1);
    char* end = nullptr;
    const std::string pidText = line.substr(pidComma + 1);
    owner.pid = std::strtol(pidText.c_str(), &end, 10);
    return end != pidText.c_str() && owner.pid > 0;
}

} // namespace

std::string WorkbookLock::lockPathFor(const std::string& workbookPath) {
    const std::filesystem::path p(workbookPath);
    return (p.parent_path() / ("~$" + p.filename().string())).string();
}

void WorkbookLock::claim(const std::string& workbookPath) {
    const std::string full = std::filesystem::absolute(workbookPath).string();
    if (full == mWorkbook) return;
    release();
    const std::string lock = lockPathFor(full);
    std::ofstream out(lock, std::ios::trunc);
    if (!out) return;
    out << fmt::format("{},{},{}\n", userName(), machineName(), static_cast<long>(::getpid()));
    out.close();
    if (!out) {
        std::error_code ec;
        std::filesystem::remove(lock, ec);
        return;
    }
    mWorkbook = full;
    mLock = lock;
}

void WorkbookLock::release() {
    if (mLock.empty()) return;
    // Only our own lock goes: another host may have taken the file over meanwhile.
    Owner owner;
    if (readOwner(mLock, owner) && owner.pid == static_cast<long>(::getpid()) &&
        owner.machine == machineName()) {
        std::error_code ec;
        std::filesystem::remove(mLock, ec);
    }
    mLock.clear();
    mWorkbook.clear();
}

bool WorkbookLock::heldElsewhere(const std::string& workbookPath) {
    Owner owner;
    // An unreadable or malformed lock announces nobody.
    if (!readOwner(lockPathFor(workbookPath), owner)) return false;
    if (owner.machine != machineName()) return true;
    if (owner.pid == static_cast<long>(::getpid())) return false;
    return ::kill(static_cast<pid_t>(owner.pid), 0) == 0 || errno == EPERM;
}

} // namespace qv::sheet
