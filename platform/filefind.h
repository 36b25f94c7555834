#pragma once

#include <dirent.h>

#include <string>

// Directory enumeration with the finder contract the walk is written against:
//
//   FileFind finder;
//   bool more = finder.FindFile(folder + "/*.*");
//   while (more) { more = finder.FindNextFile(); ...use the entry... }
//
// FindNextFile returns false when the entry it moved to is the last one, which is then
// still valid. Entries come in the order the file system returns them. A symbolic link met
// in a folder listing is never a directory, so a walk does not follow links to folders.

class FileFind {
public:
    static constexpr unsigned FILE_ATTRIBUTE_DIRECTORY = 0x10;

    FileFind() = default;
    ~FileFind() { Close(); }
    FileFind(const FileFind&) = delete;
    FileFind& operator=(const FileFind&) = delete;

    // Starts a search. The pattern is a folder followed by "/*.*" or "/*" (every entry,
    // "." and ".." included) or a plain path (that one entry, found when it exists; a link
    // is followed, so a link whose target is gone finds nothing). True when an entry matches.
    bool FindFile(const std::string& pattern);
    // Moves to the next entry; false when that entry is the last one.
    bool FindNextFile();
    void Close();

    bool IsDots() const { return m_strName == "." || m_strName == ".."; }
    bool IsDirectory() const { return m_bDirectory; }
    bool MatchesMask(unsigned mask) const {
        return (mask & FILE_ATTRIBUTE_DIRECTORY) != 0 && m_bDirectory;
    }
    const std::string& GetFileName() const { return m_strName; }
    // The pattern's folder, made absolute, then '/' and the entry's name.
    std::string GetFilePath() const;

private:
    struct Entry {
        std::string name;
        bool directory = false;
    };
    bool ReadAhead();
    bool IsDirectoryEntry(const dirent& entry) const;

    DIR* m_pDir = nullptr;
    std::string m_strFolder;
    std::string m_strName;
    bool m_bDirectory = false;
    Entry m_next;
    bool m_bHasNext = false;
};
