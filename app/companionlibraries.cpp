#include "app/companionlibraries.h"

#include "app/session.h"
#include "platform/systeminfo.h"

WmaModule BindWmaModule() {
    const std::string folder = sysinfo::ExecutableFolder();
    if (folder.empty()) {
        return {};
    }
    WmaModule wma{Module(folder + "/" + kAsfmetaModule)};
    wma.getAsfmeta = wma.module.GetProcAddress<PFN_GETASFMETA>(kGetAsfmetaExport);
    return wma;
}

void LoadCompanionLibraries(Session& session) {
    session.RegisterFileManagerMenus();
    session.BindWmaModule();
}
