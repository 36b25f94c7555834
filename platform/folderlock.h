#pragma once

#include <string>

// An advisory lock on a folder (flock(2)), shared or exclusive, held until the object goes.
// The system drops it when the process ends in any way, so a killed process never leaves a
// stale lock behind.
class FolderLock {
public:
    enum class Kind { Shared, Exclusive };

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock on `folder` without waiting. Returns 0, EWOULDBLOCK when another process
    // holds a lock that excludes this one, or the errno of the failure (ENOENT, ELOOP for a
    // folder that is a symbolic link, ...).
    int TryLock(const std::string& folder, Kind kind);
    bool IsHeld() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};
