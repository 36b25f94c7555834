#include "app/shellextension.h"

#include "menuext/menuext.h"
#include "platform/module.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shellext.h"
#include "platform/systeminfo.h"

namespace {

constexpr const char* kShellHost = "sortune-shell";

void CallAndPublish(const char* exportName) {
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
    if (registrations.HasChanged()) {
        process::RunAndWait({folder + "/" + kShellHost, "publish"});
    }
}

}  // namespace

void RegisterShellExtension() {
    CallAndPublish("DllRegisterServer");
}

void UnregisterShellExtension() {
    CallAndPublish("DllUnregisterServer");
}

int RunShellExtensionCommand(const std::string& command) {
    if (command == "i") {
        RegisterShellExtension();
    } else {
        UnregisterShellExtension();
    }
    return 0;
}
