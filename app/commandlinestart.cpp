#include "app/commandlinestart.h"

#include <iostream>

#include "app/headlesshost.h"
#include "app/shellextension.h"
#include "app/stopsignal.h"
#include "asfmeta/asfmeta.h"
#include "organizer/conversiontables.h"
#include "organizer/diskexecutor.h"
#include "organizer/previewexecutor.h"
#include "platform/absolutepath.h"
#include "platform/messagebox.h"
#include "platform/module.h"
#include "platform/profile.h"
#include "platform/systeminfo.h"
#include "resources/embeddedresource.h"

namespace {

constexpr const char* kSection = "Set";
constexpr std::size_t kShortestPath = 7;  // an argument this short names no file

int Organize(const std::string& folder, bool preview, const ConversionTables& tables) {
    const ChineseConverter converter(tables);
    DiskExecutor disk;
    PreviewExecutor shown(std::cout);
    PlanExecutor& executor = preview ? static_cast<PlanExecutor&>(shown) : disk;
    HeadlessHost host(executor, converter, !preview);
    RunState& state = host.Engine().State();

    if (!preview) {
        WriteProfileString(kSection, "ExePath", sysinfo::ExecutablePath());
    }
    state.m_bSubfolders = static_cast<int>(GetProfileInt(kSection, "FindPath", 0));
    state.m_bArtistDirs = static_cast<int>(GetProfileInt(kSection, "Artist_dir", 0));
    state.m_strWindowsDir = sysinfo::SystemFolders();

    if (!preview) {
        // The menu's half of binding the companions: the shell extension registered again.
        RegisterShellExtension();
    }

    // Bound for the whole run and freed after it, as the dialog holds it while it is open.
    const Module tagModule(sysinfo::ExecutableFolder() + "/" + kAsfmetaModule);
    host.Engine().SetTagModule(tagModule.GetProcAddress<PFN_GETASFMETA>(kGetAsfmetaExport));

    if (folder.empty()) {
        // The dialog would open without a run; without one there is nothing to do.
        std::cerr << "sortune: no folder to organize: give the path of a file in it, such as "
                     "/music/a.mp3, or DIR/. for the folder DIR\n";
        return 2;
    }
    state.m_bFromShell = 1;
    InstallStopSignals();
    host.Engine().StartRun(folder);
    std::cout.flush();
    return StopSignal() != 0 ? 128 + StopSignal() : 0;
}

}  // namespace

std::string StartFolderOf(const std::string& argument) {
    const auto slash = argument.rfind('/');
    if (argument.size() <= kShortestPath || slash == std::string::npos) {
        return {};
    }
    const std::string folder = argument.substr(0, slash);
    return folder.empty() ? "/" : AbsolutePath(folder);
}

int RunCommandLineStart(const CommandLineInfo& info) {
    ConversionTables tables;
    tables.Load(resources::FindResource);
    if (ChineseConverter::IsSystemGb2312() != 0) {
        AfxMessageBox("Sorry, Only work GB2312!", MB_OK);
        return 1;
    }
    return Organize(StartFolderOf(info.m_strFileName), info.HasSwitch("--dry-run"), tables);
}
