#include "app/shellextension.h"

#include <vector>

#include "app/settingsstore.h"
#include "menuext/menuext.h"
#include "platform/module.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shellext.h"
#include "platform/systeminfo.h"

namespace {

constexpr const char* kShellHost = "sortune-shell";

// `quiet`: the host tells nothing (at a start of the dialog, which shows nothing of this).
// `always`: the menus are published even where the registration did not change, so that a
// user's `sortune i` brings the menus an older version published up to date; files that are
// right already are not written again.
void CallAndPublish(const char* exportName, bool quiet, bool always) {
    const std::string folder = sysinfo::ExecutableFolder();
    if (folder.empty()) {
        return;
    }
    const registry::ChangeWatch registrations(HKEY_CLASSES_ROOT, nullptr);
    {
        const Module module(folder + "/" + kMenuextModule);
        const auto call = module.GetProcAddress<PFN_DLLREGISTERSERVER>(exportName);
        if (call == nullptr) {
            return;
        }
        call();
    }
    if (always || registrations.HasChanged()) {
        std::vector<std::string> command = {folder + "/" + kShellHost, "publish"};
        if (quiet) {
            command.emplace_back("--quiet");
        }
        process::RunAndWait(command);
    }
}

}  // namespace

void RegisterShellExtension() {
    CallAndPublish("DllRegisterServer", true, false);
}

void UnregisterShellExtension() {
    CallAndPublish("DllUnregisterServer", true, false);
}

int RunShellExtensionCommand(const std::string& command) {
    if (command == "i") {
        // The menu starts the program it finds there: registered without it, the menu would
        // do nothing until the window had been opened once.
        SettingsStore settings;
        settings.SetExePath(sysinfo::ExecutablePath());
    }
    // Asked for on the command line: the host may say what the user needs to do (restart
    // Thunar) or what it could not write.
    CallAndPublish(command == "i" ? "DllRegisterServer" : "DllUnregisterServer", false,
                   command == "i");
    return 0;
}
