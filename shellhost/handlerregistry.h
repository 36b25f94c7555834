#pragma once

#include <string>
#include <vector>

// The context-menu handlers registered in HKEY_CLASSES_ROOT, found the way the Windows shell
// finds them: a file type's extension key names its program id, the program id's
// `shellex\ContextMenuHandlers` lists handler keys whose default value is a class id, and the
// class's `InProcServer32` names the module.

struct HandlerRegistration {
    std::string classId;                  // "{5E1A7C20-...}", as registered
    std::string modulePath;               // of InProcServer32
    std::vector<std::string> programIds;  // the program ids (MIME types) it is registered for
    std::vector<std::string> extensions;  // ".mp3", of those program ids
};

// Every handler with a module, ordered by class id; a handler registered for several file
// types appears once, with all of them.
std::vector<HandlerRegistration> FindContextMenuHandlers();

// The registration of the handler `classId` (compared without regard to case), or one with
// an empty class id when there is none.
HandlerRegistration FindContextMenuHandler(const std::string& classId);
