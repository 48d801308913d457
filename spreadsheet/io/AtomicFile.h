// The target of a save: the writer fills a temporary file next to the destination and only
// a complete file is renamed over it. So a failed or interrupted save never leaves half a
// workbook behind and never damages the file that was there before.
#pragma once

#include <string>

namespace qv::sheet {

class AtomicFile {
  public:
    // Creates the temporary file; raises error 1004 naming `path` when its folder is not writable.
    explicit AtomicFile(std::string path);
    ~AtomicFile(); // removes the temporary file unless commit() succeeded
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::string& path() const { return mPath; }
    const std::string& tempPath() const { return mTemp; }
    // Appends to the temporary file; raises 1004 on a write failure (disk full, ...).
    void write(const char* data, std::size_t size);
    // Closes the descriptor so that another library can reopen tempPath() itself.
    void closeDescriptor();
    // Flushes to disk and renames over the destination.
    void commit();
    // Error 1004 "Cannot write the file '<path>': <reason>".
    [[noreturn]] void fail(const std::string& reason) const;

  private:
    std::string mPath, mTemp;
    int mFd = -1;
    bool mCommitted = false;
};

} // namespace qv::sheet
