#include "platform/filefind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/absolutepath.h"

namespace {

bool IsEveryEntryMask(const std::string& mask) {
    return mask == "*.*" || mask == "*";
}

}  // namespace

bool FileFind::FindFile(const std::string& pattern) {
    Close();
    const std::string mask = FileNamePart(pattern);
    m_strFolder = AbsolutePath(ParentFolder(pattern));  // "" is the current folder
    if (m_strFolder.empty()) {
        return false;
    }

    if (!IsEveryEntryMask(mask)) {
        struct stat info {};
        if (mask.empty() || stat(pattern.c_str(), &info) != 0) {
            return false;
        }
        m_next = Entry{mask, S_ISDIR(info.st_mode)};
        m_bHasNext = true;
        return true;
    }
    m_pDir = opendir(m_strFolder.c_str());
    return m_pDir != nullptr && ReadAhead();
}

bool FileFind::FindNextFile() {
    if (!m_bHasNext) {
        return false;
    }
    m_strName = std::move(m_next.name);
    m_bDirectory = m_next.directory;
    return ReadAhead();
}

void FileFind::Close() {
    if (m_pDir != nullptr) {
        closedir(m_pDir);
        m_pDir = nullptr;
    }
    m_bHasNext = false;
}

std::string FileFind::GetFilePath() const {
    return m_strFolder.ends_with('/') ? m_strFolder + m_strName : m_strFolder + "/" + m_strName;
}

bool FileFind::ReadAhead() {
    m_bHasNext = false;
    if (m_pDir == nullptr) {
        return false;
    }
    const dirent* entry = readdir(m_pDir);
    if (entry == nullptr) {
        return false;
    }
    m_next = Entry{entry->d_name, IsDirectoryEntry(*entry)};
    m_bHasNext = true;
    return true;
}

bool FileFind::IsDirectoryEntry(const dirent& entry) const {
    if (entry.d_type != DT_UNKNOWN) {
        return entry.d_type == DT_DIR;
    }
    // Some file systems do not fill in the type; lstat keeps links to folders out.
    struct stat info {};
    return fstatat(dirfd(m_pDir), entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(info.st_mode);
}
