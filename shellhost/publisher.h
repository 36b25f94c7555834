#pragma once

#include <string>
#include <vector>

#include "shellhost/handlerregistry.h"
#include "shellhost/menuformats.h"

// Publishing: the files that make the registered handlers' menus appear in Dolphin, Nautilus,
// Nemo, Thunar and the file managers of the FreeDesktop actions, written per user. The host
// keeps a list of what it wrote; a publish writes only the files whose content changed and
// removes those it wrote before that are no longer wanted, never a file it did not write.

struct PublishPlaces {
    std::string dataHome;             // $XDG_DATA_HOME, default ~/.local/share
    std::string configHome;           // $XDG_CONFIG_HOME, default ~/.config
    std::string hostPath;             // the host program, absolute
    bool nautilusExtensions = false;  // python3-nautilus is installed: no scripts needed

    // The places of the running user and program; empty folders when no home is known.
    static PublishPlaces OfThisUser();
};

struct PublishReport {
    std::vector<std::string> written;   // files written or rewritten
    std::vector<std::string> removed;   // files removed
    std::vector<std::string> problems;  // what could not be done, for the user
    bool thunarChanged = false;         // uca.xml changed: Thunar reads it when it starts
};

// Reads the handlers' menus from their modules (each driven as the shell drives it) and
// publishes them.
PublishReport PublishHandlers(const std::vector<HandlerRegistration>& handlers,
                              const PublishPlaces& places);

// Publishes the handlers as given (their menus already read).
PublishReport PublishMenus(const std::vector<PublishedHandler>& handlers,
                           const PublishPlaces& places);

// The menu of one handler as the file managers get it, from its registration; `problem` says
// why when the handler cannot be read (the result then has no groups).
PublishedHandler ReadPublishedHandler(const HandlerRegistration& handler,
                                      const PublishPlaces& places, std::string& problem);
