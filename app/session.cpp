#include "app/session.h"

#include "app/shellextension.h"
#include "organizer/chineseconverter.h"
#include "organizer/dryrunexecutor.h"
#include "organizer/journalwriter.h"
#include "platform/absolutepath.h"
#include "platform/fileentry.h"
#include "platform/messagebox.h"
#include "platform/systeminfo.h"

namespace {

// The options of a run as its journal keeps them.
std::string OptionWords(const RunOptions& options) {
    std::string words = options.subfolders ? "recursive" : "";
    if (options.artistFolders && !options.fromFileManager) {
        words += words.empty() ? "by-artist" : " by-artist";
    }
    for (const auto& [on, word] :
         {std::pair{options.fixTags, "fix-tags"}, std::pair{options.noRename, "no-rename"},
          std::pair{options.allFormats, "all-formats"}}) {
        if (on) {
            words += words.empty() ? word : std::string(" ") + word;
        }
    }
    return words;
}

// A flag of the state takes the option's value; a value that already means it (the dialog's
// own, read as stored) stays as it is.
void SetFlag(int& flag, bool on) {
    if ((flag == 1) != on) {
        flag = on ? 1 : 0;
    }
}

void SetOptions(const RunOptions& options, RunState& state) {
    SetFlag(state.m_bSubfolders, options.subfolders);
    SetFlag(state.m_bArtistDirs, options.artistFolders);
    SetFlag(state.m_bFromShell, options.fromFileManager);
    SetFlag(state.m_bFixTags, options.fixTags);
    SetFlag(state.m_bNoRename, options.noRename);
    SetFlag(state.m_bAllFormats, options.allFormats);
    state.m_strWindowsDir = sysinfo::SystemFolders();
}

}  // namespace

Session::Session(SettingsStore& settings, std::string journalFolder)
    : settings_(settings), journals_(std::move(journalFolder)) {}

bool Session::CheckLanguage() {
    if (ChineseConverter::IsSystemGb2312() != 0) {
        AfxMessageBox("Sorry, Only work GB2312!", MB_OK);
        return false;
    }
    return true;
}

void Session::RecordProgramPath() {
    settings_.SetExePath(sysinfo::ExecutablePath());
}

void Session::RegisterFileManagerMenus() {
    RegisterShellExtension();
}

void Session::BindWmaModule() {
    wma_ = ::BindWmaModule();
}

RunOptions Session::StoredOptions() const {
    return {.subfolders = settings_.FindPath() == 1,
            .artistFolders = settings_.ArtistDir() == 1,
            .fixTags = settings_.FixTags() == 1,
            .allFormats = settings_.AllFormats() == 1};
}

JournalOutcome Session::Journaled(const JournalHeader& header, DiskExecutor& disk,
                                  const std::function<Ending()>& work) {
    JournalWriter writer(sysinfo::GetTickCount);
    JournalOutcome outcome;
    outcome.beginError = journals_.Begin(header, writer);
    if (outcome.beginError != 0) {
        return outcome;
    }
    outcome.path = writer.Path();
    disk.SetRecorder(&writer);
    const Ending ending = work();
    disk.SetRecorder(nullptr);
    if (ending == Ending::Discard) {
        writer.Discard();
        outcome.path.clear();
    } else {
        outcome.finishError = writer.Finish(ending == Ending::Complete);
    }
    return outcome;
}

JournalOutcome Session::Organize(RunState& state, const std::string& folder,
                                 const RunOptions& options, DiskExecutor* disk,
                                 const std::function<void()>& run) {
    SetOptions(options, state);
    if (disk == nullptr) {
        run();
        return {};
    }
    FolderLock lock;
    if (const int error = journals_.Lock(FolderLock::Kind::Shared, lock)) {
        JournalOutcome refused;
        refused.beginError = error;
        return refused;
    }
    JournalHeader header;
    header.folder = AbsolutePath(folder);
    header.resolved = ResolvedPath(header.folder);
    header.options = OptionWords(options);
    header.version = SORTUNE_VERSION;
    return Journaled(header, *disk, [&] {
        run();
        return Ending::Complete;
    });
}

bool Session::CanTakeBack(TakeBackDirection direction) const {
    const std::vector<Journal> journals = journals_.Load();
    return (direction == TakeBackDirection::Undo ? LatestToUndo(journals)
                                                 : LatestToRedo(journals)) != nullptr;
}

TakeBackOutcome Session::TakeBackLatest(TakeBackDirection direction, RunHost& host, RunState& state,
                                        const TakeBack::Listener& listener, bool preview,
                                        const std::function<void(const Journal&)>& announce) {
    TakeBackOutcome outcome;
    FolderLock lock;
    const auto kind = preview ? FolderLock::Kind::Shared : FolderLock::Kind::Exclusive;
    if (const int error = journals_.Lock(kind, lock)) {
        outcome.journal.beginError = error;
        return outcome;
    }
    const std::vector<Journal> journals = journals_.Load();
    const Journal* target =
        direction == TakeBackDirection::Undo ? LatestToUndo(journals) : LatestToRedo(journals);
    const Journal* damaged = NewestDamaged(journals);
    if (damaged != nullptr && (target == nullptr || damaged > target)) {
        outcome.damaged = journals_.Folder() + "/" + damaged->name;
        outcome.damagedLine = damaged->damagedLine;
        return outcome;
    }
    outcome.found = target != nullptr;
    if (target == nullptr) {
        return outcome;
    }
    announce(*target);
    const std::vector<const Journal*> parts = PartsOf(journals, *target);
    const auto takeBackAll = [&](ChangeExecutor& executor) {
        for (const Journal* part : parts) {
            const TakeBackReport report = TakeBack(host, state, executor, listener).Run(*part);
            outcome.report.changed += report.changed;
            outcome.report.alreadyBack += report.alreadyBack;
            outcome.report.skipped += report.skipped;
            if (report.stopped) {
                outcome.report.stopped = true;
                return;
            }
        }
    };
    if (preview) {
        DryRunExecutor shown;
        takeBackAll(shown);
        return outcome;
    }
    JournalHeader header;
    header.kind = direction == TakeBackDirection::Undo ? JournalKind::Undo : JournalKind::Redo;
    header.folder = target->header.folder;
    header.resolved = target->header.resolved;
    header.version = SORTUNE_VERSION;
    header.takesBack = target->name;
    DiskExecutor disk;
    outcome.journal = Journaled(header, disk, [&] {
        takeBackAll(disk);
        if (outcome.report.changed == 0 && outcome.report.skipped > 0) {
            return Ending::Discard;  // nothing was taken back: the run can be tried again
        }
        // A stopped undo stays open: the next one goes on with the same run.
        return outcome.report.stopped ? Ending::CutShort : Ending::Complete;
    });
    return outcome;
}
