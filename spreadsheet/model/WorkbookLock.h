// The owner file beside an open workbook ("~$" + its name, in its folder) that tells other
// running hosts the file is in use: who holds it (user, machine, process). Claimed when a
// workbook is opened or saved under a new name, given up when it is closed. A lock whose process
// has died on this machine is stale and counts for nothing.
#pragma once

#include <string>

namespace qv::sheet {

class WorkbookLock {
  public:
    WorkbookLock() = default;
    ~WorkbookLock() { release(); }
    WorkbookLock(const WorkbookLock&) = delete;
    WorkbookLock& operator=(const WorkbookLock&) = delete;

    // Takes the lock of this workbook file, giving up any held before. A lock that cannot be
    // written (a read-only folder) leaves the workbook usable, only unannounced.
    void claim(const std::string& workbookPath);
    void release();
    const std::string& heldFor() const { return mWorkbook; }

    static std::string lockPathFor(const std::string& workbookPath);
    // Another live process (of this machine, or any process of another machine) holds the file.
    static bool heldElsewhere(const std::string& workbookPath);

  private:
    std::string mWorkbook;
    std::string mLock;
};

} // namespace qv::sheet
