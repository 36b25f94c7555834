#pragma once

#include <string>
#include <utility>

#include "asfmeta/asfmeta.h"
#include "organizer/changeexecutor.h"
#include "organizer/chineseconverter.h"
#include "organizer/runhost.h"
#include "organizer/runstate.h"
#include "organizer/tagprefetcher.h"
#include "organizer/trackdiscovery.h"

// The organize run: walks a folder, reads the tags of every MP3 and WMA file found, builds a
// name from the title and renames the file to it, or, with artist folders, writes a shortcut
// named after the title into a folder named after the artist. Runs on its host's thread; the
// host stops a run by clearing State().m_bRunning, which the run checks between two entries
// of the walk and between two files.
//
// With the tag repair option each MP3 file's tags are repaired first (tagrepair.h); with the
// no-rename option that is all a file gets.
//
// A title or artist too long for a name of the file system (NAME_MAX bytes, with the
// extension) is cut at a character boundary to fit.
//
// Every change goes through the executor as a change decided beforehand: a DiskExecutor makes
// the changes, a DryRunExecutor only shows them.
class OrganizerEngine {
public:
    // The host, the executor and the converter must outlive the engine.
    OrganizerEngine(RunHost& host, ChangeExecutor& executor, const ChineseConverter& converter);
    OrganizerEngine(const OrganizerEngine&) = delete;
    OrganizerEngine& operator=(const OrganizerEngine&) = delete;

    RunState& State() { return m_state; }
    const RunState& State() const { return m_state; }

    // The export of the WMA tag module, or null when it is not bound: WMA files then have no
    // title and keep their names. The module must stay loaded while the engine runs.
    void SetTagModule(PFN_GETASFMETA getAsfmeta) { m_pfnGetAsfmeta = getAsfmeta; }
    // The clock of the caption rules; the system's monotonic clock unless replaced.
    void SetTickSource(TickSource tick) { m_tick = std::move(tick); }
    // Threads that read tags ahead of the file pass (0: each file is read at its turn); by
    // default as many as ReadAheadReaders() says. The pass decides the same either way.
    void SetReadAheadReaders(std::size_t readers) { m_readAheadReaders = readers; }

    // Organizes `folder`: walk, then the file pass unless the walk was stopped or declined.
    // A relative folder is taken from the current folder, which the walk's paths start with
    // too; when the current folder cannot be found the run ends before it starts. Returns the
    // file pass's result, or 1 when the run ended before it.
    int StartRun(const std::string& folder);
    // Handles each file of the list until the end or a stop. Always returns 1.
    int OrganizeFiles(const FileList& list);

    // The path up to and including its last '/', or "" when it has none.
    static std::string GetFolderPart(const std::string& path);
    // The folder, ending with '/', that gets the file's new name: the file's own folder (or,
    // without sub-folders, the run folder), plus the artist's folder in artist mode. The
    // artist is a file-system name (UTF-8).
    std::string GetTargetFolder(const std::string& folder, const std::string& artist) const;
    // Renames the file within its folder, or writes the shortcut `newPath` + ".lnk" pointing
    // at it when the new folder is another. Always returns 1.
    int PlaceFile(const std::string& oldFolder, const std::string& newFolder,
                  const std::string& oldPath, const std::string& newPath);

private:
    FileTags ReadFileTags(const std::string& path) const;
    void OrganizeFile(const std::string& path, const FileTags& tags);
    bool UsesArtistFolders() const;

    RunState m_state;
    RunHost& m_host;
    ChangeExecutor& m_executor;
    const ChineseConverter& m_converter;
    PFN_GETASFMETA m_pfnGetAsfmeta = nullptr;
    bool m_bFixTagsAhead = false;  // the tag repair option, as the readers of the pass see it
    TickSource m_tick;
    TrackDiscovery m_discovery;
    std::size_t m_readAheadReaders;
};
