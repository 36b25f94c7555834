#include "app/companionlibraries.h"

#include "app/shellextension.h"
#include "platform/systeminfo.h"

TagLibrary BindTagLibrary() {
    const std::string folder = sysinfo::ExecutableFolder();
    if (folder.empty()) {
        return {};
    }
    TagLibrary library{Module(folder + "/" + kAsfmetaModule)};
    library.getAsfmeta = library.module.GetProcAddress<PFN_GETASFMETA>(kGetAsfmetaExport);
    return library;
}

TagLibrary LoadCompanionLibraries() {
    RegisterShellExtension();
    return BindTagLibrary();
}
