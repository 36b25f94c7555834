#pragma once

#include <string>

// Shortcuts are symbolic links: "小雨.mp3.lnk" holds the absolute path of the file it stands
// for. A link carries no description, so there is none to write. Besides the run's own calls
// (look, write, delete a dead one), the calls that take a run back: read a link, make one
// only where the name is free, remove one only while it is still the same link.

enum class ShortcutState {
    Live,       // a symbolic link whose target exists (a file or a folder)
    Dead,       // a symbolic link whose target does not exist
    NotALink,   // anything else, a Windows shortcut file say, or nothing at all
    Unchecked,  // a symbolic link whose target cannot be looked at (no access, a link loop)
};

// Looks at the link at `linkPath` and at what it points to. Only a Dead link may be deleted.
ShortcutState InspectShortcut(const std::string& linkPath);

// Writes the link `linkPath` pointing at `target`. An existing symbolic link of that name is
// replaced atomically (the new link is made under a temporary name, see TemporaryLinkPrefix,
// and swapped with it); anything else of that name (a file, a folder) is never moved nor
// replaced, and the call fails with errno EEXIST. No temporary name is left behind. True on
// success; on failure false with errno set.
bool CreateShortcut(const std::string& target, const std::string& linkPath);

// Deletes `linkPath` when it is still a dead symbolic link. True when it was deleted; false
// with errno 0 when it is no longer one, or with the errno of the failed deletion.
bool DeleteDeadShortcut(const std::string& linkPath);

// Sets `target` to what the symbolic link at `linkPath` holds; false when it is none.
bool ReadShortcut(const std::string& linkPath, std::string& target);

// Makes the link `linkPath` pointing at `target` only where the name is free: false with
// errno EEXIST when anything has that name.
bool CreateShortcutIfFree(const std::string& target, const std::string& linkPath);

// Removes `linkPath` while it is a symbolic link holding exactly `target`. True when removed;
// false with errno 0 when it is not that link, or with the errno of the failed removal.
bool RemoveShortcutTo(const std::string& linkPath, const std::string& target);

// The start of the temporary names under which the process `pid` makes links in `folder`
// (ending with '/'). A process killed at the wrong moment can leave one behind.
std::string TemporaryLinkPrefix(const std::string& folder, long pid);
