#include "organizer/organizerengine.h"

#include <climits>
#include <cstring>

#include "organizer/tagreader.h"
#include "organizer/tagrepair.h"
#include "organizer/trackname.h"
#include "platform/absolutepath.h"
#include "platform/ansistring.h"
#include "platform/systeminfo.h"

namespace {

constexpr std::uint32_t kCaptionInterval = 100;  // ms between two captions of the file pass

bool HasOverlongName(const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = path.find('/', start);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end - start > NAME_MAX) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// The name cut short, at a character boundary, where it would not fit in NAME_MAX bytes with
// `suffix` more; white space the cut leaves at its end goes too. Names are UTF-8.
std::string CutToFit(const std::string& name, std::size_t suffix) {
    if (name.size() + suffix <= NAME_MAX) {
        return name;
    }
    std::size_t end = NAME_MAX - suffix;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
        --end;  // a continuation byte: the cut would fall inside a character
    }
    while (end > 0 && (name[end - 1] == ' ' || name[end - 1] == '\t')) {
        --end;
    }
    return name.substr(0, end);
}

// The step that gives the file its new name: a rename within its folder, or a shortcut in
// another folder. Whether the name is free is found out by carrying the step out: the rename
// fails atomically on a taken name.
Change DecidePlacement(const std::string& oldFolder, const std::string& newFolder,
                       const std::string& oldPath, const std::string& newPath) {
    if (oldFolder != newFolder) {
        const std::string linkPath = newPath + ".lnk";
        return HasOverlongName(linkPath) ? Change::Keep(oldPath, Reason::NameTooLong)
                                         : Change::Link(linkPath, oldPath);
    }
    if (oldPath == newPath) {
        return Change::Keep(oldPath, Reason::SameName);
    }
    return HasOverlongName(newPath) ? Change::Keep(oldPath, Reason::NameTooLong)
                                    : Change::Rename(oldPath, newPath);
}

}  // namespace

OrganizerEngine::OrganizerEngine(RunHost& host, ChangeExecutor& executor,
                                 const ChineseConverter& converter)
    : m_host(host),
      m_executor(executor),
      m_converter(converter),
      m_tick(sysinfo::GetTickCount),
      m_discovery(m_state, host, executor, [this] { return m_tick(); }),
      m_readAheadReaders(ReadAheadReaders()) {}

int OrganizerEngine::StartRun(const std::string& requested) {
    // Relative, it would not compare with the absolute folders the walk reports.
    const std::string folder = AbsolutePath(requested);
    if (folder.empty()) {
        m_host.RunEnded();
        return 1;
    }
    m_host.AddFolder(folder);
    m_state.m_strLastFolder = folder;
    m_state.m_strRunFolder = folder;
    m_state.m_bRunning = 1;
    m_host.SetBusy(1, 0);
    m_host.WalkStarted();
    FileList list;
    m_state.m_nFolderCount = 0;
    m_state.m_nHiddenFolders = 0;
    m_state.m_nOtherFormats = 0;
    m_state.m_nFilesFound = 0;
    m_host.StartBusyTimer();
    const std::uint32_t startTick = m_tick();
    if (m_discovery.ScanFolder(folder, list, startTick, 0) != 0) {
        m_state.m_bRunning = 0;
    }
    m_host.KillBusyTimer();
    m_state.m_nFilesFound = static_cast<int>(list.size());
    if (m_state.m_bRunning == 0) {
        m_host.SetBusy(0, 1);
        m_host.RunEnded();
        return 1;
    }
    const int result = OrganizeFiles(list);
    m_state.m_bRunning = 0;
    m_host.SetBusy(0, 1);
    m_host.RunEnded();
    return result;
}

int OrganizerEngine::OrganizeFiles(const FileList& list) {
    m_host.SetBusy(1, 1);
    m_host.PassStarted();
    const int count = static_cast<int>(list.size());
    m_host.SetWindowText(ansi::Format("mp3名称整理 - %d个文件开始整理", count));
    m_state.m_nProgressTotal = count;
    std::uint32_t lastTick = m_tick();
    int handled = 0;
    {
        // Ends with the pass: a stop abandons what the readers have in flight.
        // The readers see the option through a copy made before they start.
        m_bFixTagsAhead = m_state.m_bFixTags == 1;
        TagPrefetcher prefetcher(
            list, [this](const std::string& path) { return ReadFileTags(path); },
            m_readAheadReaders, kReadAheadWindow);
        for (; handled < count && m_state.m_bRunning == 1; ++handled) {
            m_state.m_nProgressPos = handled + 1;
            m_host.DrawProgress(m_state.m_nProgressPos, m_state.m_nProgressTotal);
            m_host.PumpOneMessage();
            const auto index = static_cast<std::size_t>(handled);
            OrganizeFile(list[index], prefetcher.Take(index));
            const std::uint32_t tick = m_tick();
            if (tick - lastTick > kCaptionInterval) {
                m_host.SetWindowText(ansi::Format("mp3名称整理 - %d个文件整理完毕", handled + 1));
                lastTick = tick;
            }
        }
    }
    m_host.SetWindowText(ansi::Format("mp3名称整理 - %d个文件整理完毕", handled));
    m_state.m_nProgressPos = 0;
    m_state.m_nProgressTotal = 0;
    m_host.DrawProgress(0, 0);
    m_host.SetBusy(0, 1);
    return 1;
}

// Safe on the prefetcher's threads: it reads the file and the bound module, nothing else.
FileTags OrganizerEngine::ReadFileTags(const std::string& path) const {
    FileTags tags;
    const AudioFormat format = FormatOfPath(path);
    if (format == AudioFormat::Mp3) {
        ReadMp3Tags(path, tags.firstSet, tags.id3v2);  // from one opening
    } else if (format == AudioFormat::Wma) {
        ReadWmaAttributes(path, tags.firstSet, m_pfnGetAsfmeta);
    } else {
        tags.notMusic = !ReadFormatTags(path, format, tags.firstSet, tags.id3v2);
    }
    if (m_bFixTagsAhead && !tags.notMusic) {
        tags.repair = PlanTagRepair(path, format, m_converter);
    }
    return tags;
}

void OrganizerEngine::OrganizeFile(const std::string& path, const FileTags& tags) {
    if (tags.repair) {
        m_executor.Execute(Change::Retag(path, *tags.repair));
    }
    if (m_state.m_bNoRename == 1) {
        return;
    }
    if (tags.notMusic) {
        m_executor.Execute(Change::Keep(path, Reason::NotMusic));
        return;
    }
    const std::string folder = GetFolderPart(path);
    const TrackName name = NameTrack(tags.firstSet, tags.id3v2, m_converter);
    if (name.title.empty()) {
        m_executor.Execute(Change::Keep(path, name.reason));
        return;
    }
    const std::string target = GetTargetFolder(folder, CutToFit(name.artist, 0));
    const std::string extension = NameExtension(path);
    // A name in another folder is a shortcut's, which ends in ".lnk" too.
    const std::size_t suffix = extension.size() + (target != folder ? std::strlen(".lnk") : 0);
    const std::string newPath = target + CutToFit(name.title, suffix) + extension;
    PlaceFile(folder, target, path, newPath);
    ++m_state.m_nRenamed;
}

std::string OrganizerEngine::GetFolderPart(const std::string& path) {
    return FolderPartWithSlash(path);
}

std::string OrganizerEngine::GetTargetFolder(const std::string& folder,
                                             const std::string& artist) const {
    std::string target = m_state.m_bSubfolders == 1 ? folder : m_state.m_strRunFolder;
    if (!target.ends_with('/')) {
        target += '/';
    }
    if (UsesArtistFolders() && !artist.empty()) {
        target += artist + '/';
    }
    return target;
}

int OrganizerEngine::PlaceFile(const std::string& oldFolder, const std::string& newFolder,
                               const std::string& oldPath, const std::string& newPath) {
    m_executor.Execute(DecidePlacement(oldFolder, newFolder, oldPath, newPath));
    return 1;
}

bool OrganizerEngine::UsesArtistFolders() const {
    return m_state.m_bArtistDirs == 1 && m_state.m_bFromShell == 0;
}
