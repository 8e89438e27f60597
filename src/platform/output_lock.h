#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tl {

// Keeps other runs from writing the output `target` (a report or a results
// folder) while this one does: the lock file lockFileName(target's name)
// beside it, holding this process's ID, locked through the system for as long
// as this object lives and removed with it. The system lets go of the lock
// when a process ends in any way, so a lock file left by a killed run is
// stale and taken over. Throws InputError, naming `target` as `kind` and the
// holder's process ID, when a live run holds the lock, or when the lock file
// cannot be made (its folder missing, say).
class OutputLock {
  public:
    OutputLock(const std::string& target, std::string_view kind);
    ~OutputLock();
    OutputLock(const OutputLock&) = delete;
    OutputLock& operator=(const OutputLock&) = delete;

    // The process ID written in a stale lock file that was taken over.
    std::optional<std::string> staleHolder() const { return staleHolder_; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::optional<std::string> staleHolder_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace tl
