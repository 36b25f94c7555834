#include "organizer/trackdiscovery.h"

#include <algorithm>

#include "platform/ansistring.h"
#include "platform/ascii.h"
#include "platform/filefind.h"

namespace {

constexpr std::uint32_t kCaptionDelay = 500;  // ms after the parent folder was entered

}  // namespace

int TrackDiscovery::ScanFolder(const std::string& folder, FileList& list, std::uint32_t startTick,
                               int topLevel) {
    if (IsSystemFolder(folder)) {
        return 0;
    }
    ++m_state.m_nFolderCount;
    int other = 0;
    const std::uint32_t entryTick = m_tick();
    if (entryTick - startTick > kCaptionDelay) {
        m_host.SetWindowText(
            ansi::Format("mp3名称整理 - 已查找%d个文件夹", m_state.m_nFolderCount));
    }

    FileFind finder;
    bool more = finder.FindFile(folder + "/*.*");
    if (!more) {
        return 0;
    }
    do {
        more = finder.FindNextFile();
        m_host.PumpOneMessage();
        if (finder.MatchesMask(FileFind::FILE_ATTRIBUTE_DIRECTORY) || finder.IsDots()) {
            if (!finder.IsDots() && m_state.m_bSubfolders == 1) {
                ++other;
                EnterSubfolder(finder, list, entryTick);
            }
            continue;
        }
        other += 1 - TakeFile(finder.GetFilePath(), list);
    } while (m_state.m_bRunning != 0 && more);
    finder.Close();

    if (topLevel != 0 && m_state.m_bArtistDirs == 1 && m_state.m_bSubfolders == 1 && other > 0) {
        const std::string question = ansi::Format("%d个MP3文件将被转移到%s下, 您确定吗?",
                                                  static_cast<int>(list.size()), folder.c_str());
        return m_host.AskYesNo(question) ? 0 : 1;
    }
    return 0;
}

// Hidden folders hold other programs' data and the trash, no one's collection: they are
// counted, not entered.
void TrackDiscovery::EnterSubfolder(const FileFind& finder, FileList& list,
                                    std::uint32_t entryTick) {
    if (finder.GetFileName().starts_with('.')) {
        ++m_state.m_nHiddenFolders;
        return;
    }
    ScanFolder(finder.GetFilePath(), list, entryTick, 0);
}

int TrackDiscovery::TakeFile(const std::string& path, FileList& list) {
    const AudioFormat format = FormatOfPath(path);
    if (format != AudioFormat::None) {
        if (Takes(format)) {
            list.push_back(path);
            return 1;
        }
        ++m_state.m_nOtherFormats;
        return 0;
    }
    // The shortcuts of artist folders are named after a file the walk takes, plus ".lnk".
    constexpr std::string_view kLink = ".lnk";
    if (HasSuffixIgnoringCase(path, kLink) &&
        Takes(FormatOfPath(std::string_view(path).substr(0, path.size() - kLink.size())))) {
        CheckShortcut(path);
    }
    return 0;
}

bool TrackDiscovery::Takes(AudioFormat format) const {
    return format != AudioFormat::None && (m_state.m_bAllFormats == 1 || !NeedsAllFormats(format));
}

ShortcutState TrackDiscovery::CheckShortcut(const std::string& linkPath) {
    const ShortcutState state = InspectShortcut(linkPath);
    if (state == ShortcutState::Dead) {
        m_executor.Execute(Change::Delete(linkPath));
    }
    return state;
}

bool TrackDiscovery::IsSystemFolder(const std::string& folder) const {
    const auto& system = m_state.m_strWindowsDir;
    return std::find(system.begin(), system.end(), folder) != system.end();
}
