#pragma once

#include <string>

// The per-user folders of the base directory rules: where settings, state and published menus
// are kept. A relative variable is invalid and ignored, as the rules say; without HOME the
// password file names the home folder. "" when no home folder is known.

// $XDG_CONFIG_HOME, by default ~/.config.
std::string XdgConfigHome();
// $XDG_STATE_HOME, by default ~/.local/state.
std::string XdgStateHome();
// $XDG_DATA_HOME, by default ~/.local/share.
std::string XdgDataHome();

// The user's music folder, XDG_MUSIC_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, where the
// desktop's first login names it in the user's language ("$HOME/音乐"); the home folder when
// the file names none or the folder is not there. "" when no home folder is known.
std::string UserMusicFolder();

// Creates the missing folders of the absolute `path`, each new one readable by its owner
// only. Returns 0, or the errno that stopped it (ENOTDIR when a file is in the way).
int MakePrivateFolders(const std::string& path);
