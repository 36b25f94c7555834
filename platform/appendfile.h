#pragma once

#include <string>
#include <string_view>

// A file that only grows, for a record that must survive a crash of the writer: every
// Append is handed to the system with write(2) at once, so that a process killed afterwards
// loses nothing of it; Sync makes sure it is on the disk.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile() { Close(); }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Creates `path`, which must not exist yet (EEXIST), readable and writable by its owner
    // only. Returns 0 or an errno.
    int Create(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }

    // Appends all of `bytes`. Returns 0 or an errno.
    int Append(std::string_view bytes);
    // Puts what was appended on the disk. Returns 0 or an errno.
    int Sync();
    // Closes the file (nothing happens when none is open). Returns 0 or an errno.
    int Close();

private:
    int fd_ = -1;
};
