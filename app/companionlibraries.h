#pragma once

#include "asfmeta/asfmeta.h"
#include "platform/module.h"

class Session;

// The program's two companions, found beside it: the WMA tag module, which the engine calls
// for the tags of every WMA file, and the file-manager menu extension, which every start of
// the program registers again (the file managers' menus are rewritten only when that changed
// the registration).

// The WMA tag module and its export, bound for as long as `module` stays loaded. Without the
// module, or without its export, `getAsfmeta` is null and WMA files have no tags.
struct WmaModule {
    Module module;
    PFN_GETASFMETA getAsfmeta = nullptr;
};

WmaModule BindWmaModule();

// What every real start does: registers the menu extension again, then binds the WMA module
// into the session.
void LoadCompanionLibraries(Session& session);
