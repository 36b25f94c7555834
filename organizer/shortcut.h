#pragma once

#include <string>

// Shortcuts are symbolic links: "小雨.mp3.lnk" holds the absolute path of the file it stands
// for. A link carries no description, so there is none to write.

enum class ShortcutState {
    Live,       // a symbolic link whose target exists (a file or a folder)
    Dead,       // a symbolic link whose target does not exist
    NotALink,   // anything else, a Windows shortcut file say, or nothing at all
    Unchecked,  // a symbolic link whose target cannot be looked at (no access, a link loop)
};

// Looks at the link at `linkPath` and at what it points to. Only a Dead link may be deleted.
ShortcutState InspectShortcut(const std::string& linkPath);

// Writes the link `linkPath` pointing at `target`. An existing symbolic link of that name is
// replaced atomically (the new link is made under a temporary name and moved over it);
// anything else of that name (a file, a folder) is never moved nor replaced, and the call
// fails with errno EEXIST. No temporary name is left behind. True on success; on failure
// false with errno set.
bool CreateShortcut(const std::string& target, const std::string& linkPath);

// Deletes `linkPath` when it is still a dead symbolic link. True when it was deleted; false
// with errno 0 when it is no longer one, or with the errno of the failed deletion.
bool DeleteDeadShortcut(const std::string& linkPath);
