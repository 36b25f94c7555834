#pragma once

#include <string>

// The program's side of the file-manager context menu: it loads menuext.so from its own
// folder and calls its DllRegisterServer or DllUnregisterServer, ignoring the result, as the
// commands "i" and "u" and every start of the dialog do. When that changed the registrations,
// the shell host beside the program (sortune-shell publish) rewrites the file managers' menu
// files, so that an ordinary start, which registers the same entries again, touches nothing.
// Nothing is shown; a missing module, export or host does nothing.

void RegisterShellExtension();
void UnregisterShellExtension();

// The command-line commands: "i" writes the program's path into the settings, where the menu
// finds it, and registers; "u" unregisters. Returns the exit status.
int RunShellExtensionCommand(const std::string& command);
