#include "organizer/takeback.h"

#include <cerrno>

#include "platform/absolutepath.h"
#include "platform/fileentry.h"
#include "platform/filefind.h"
#include "platform/filerename.h"
#include "platform/folders.h"
#include "platform/shelllink.h"
#include "platform/systeminfo.h"

namespace {

TakeBackStep Changing(JournalChange undo) {
    return {std::move(undo), TakeBackResult::Changed, SkipReason::None, 0};
}

TakeBackStep Back() {
    return {{}, TakeBackResult::AlreadyBack, SkipReason::None, 0};
}

TakeBackStep Skipping(JournalChange undo, SkipReason reason) {
    return {std::move(undo), TakeBackResult::Skipped, reason, 0};
}

TakeBackStep DecideRename(const JournalChange& change, const PlannedEntries& view) {
    JournalChange undo =
        JournalChange::Of(ChangeKind::Rename, change.other, change.path, {}, change.identity);
    if (!view.IsFile(change.other, change.identity)) {
        return view.IsFile(change.path, change.identity) ? Back()
                                                         : Skipping(undo, SkipReason::MovedSince);
    }
    // Both names the same file: the old name is the file's own, not another's (a rename cut
    // short between linking the new name and unlinking the old one).
    if (view.Kind(change.path) == EntryKind::Missing || view.IsFile(change.path, change.identity)) {
        return Changing(undo);
    }
    return Skipping(undo, SkipReason::NameTakenSince);
}

TakeBackStep DecideLink(const JournalChange& change, const PlannedEntries& view) {
    if (change.replaced.empty()) {
        JournalChange undo = JournalChange::Of(ChangeKind::Delete, change.path, change.other);
        if (view.IsLinkTo(change.path, change.other)) {
            return Changing(undo);
        }
        return view.Kind(change.path) == EntryKind::Missing
                   ? Back()
                   : Skipping(undo, SkipReason::ChangedSince);
    }
    JournalChange undo =
        JournalChange::Of(ChangeKind::Link, change.path, change.replaced, change.other);
    if (view.IsLinkTo(change.path, change.other)) {
        return Changing(undo);
    }
    return view.IsLinkTo(change.path, change.replaced) ? Back()
                                                       : Skipping(undo, SkipReason::ChangedSince);
}

TakeBackStep DecideDelete(const JournalChange& change, const PlannedEntries& view) {
    JournalChange undo = JournalChange::Of(ChangeKind::Link, change.path, change.other);
    if (view.Kind(change.path) == EntryKind::Missing) {
        return Changing(undo);
    }
    return view.IsLinkTo(change.path, change.other) ? Back()
                                                    : Skipping(undo, SkipReason::NameTakenSince);
}

TakeBackStep DecideFolder(const JournalChange& change, const PlannedEntries& view) {
    const EntryKind kind = view.Kind(change.path);
    if (change.kind == ChangeKind::MakeFolder) {
        JournalChange undo = JournalChange::Of(ChangeKind::RemoveFolder, change.path);
        if (kind == EntryKind::Missing) {
            return Back();
        }
        return kind == EntryKind::Folder ? Changing(undo)
                                         : Skipping(undo, SkipReason::ChangedSince);
    }
    JournalChange undo = JournalChange::Of(ChangeKind::MakeFolder, change.path);
    if (kind == EntryKind::Missing) {
        return Changing(undo);
    }
    return kind == EntryKind::Folder ? Back() : Skipping(undo, SkipReason::NameTakenSince);
}

bool HoldsFile(const std::string& path, const FileIdentity& identity) {
    FileIdentity found;
    return IdentityOf(path, found) && found == identity;
}

// Makes the change `undo`; returns 0 or the errno of the failure.
int Make(const JournalChange& undo) {
    switch (undo.kind) {
        case ChangeKind::Rename:
            // The old name holding the very file: only the extra name goes.
            if (HoldsFile(undo.other, undo.identity) && !IsCaseOnlyChange(undo.path, undo.other)) {
                return RemoveFile(undo.path);
            }
            return MoveFile(undo.path, undo.other) ? 0 : errno;
        case ChangeKind::Link:
            if (!undo.replaced.empty()) {
                return CreateShortcut(undo.other, undo.path) ? 0 : errno;
            }
            return CreateShortcutIfFree(undo.other, undo.path) ? 0 : errno;
        case ChangeKind::Delete:
            if (RemoveShortcutTo(undo.path, undo.other)) {
                return 0;
            }
            return errno == 0 ? EEXIST : errno;  // no longer the link to remove
        case ChangeKind::MakeFolder:
            return MakeFolder(undo.path);
        case ChangeKind::RemoveFolder:
            return RemoveEmptyFolder(undo.path);
    }
    return EINVAL;
}

// The reason a change that was refused with `error` is left alone.
SkipReason ReasonOf(const JournalChange& undo, int error) {
    if (error == ENOTEMPTY) {
        return SkipReason::FolderNotEmpty;
    }
    if (error == EEXIST) {
        return undo.kind == ChangeKind::Delete ? SkipReason::ChangedSince
                                               : SkipReason::NameTakenSince;
    }
    return SkipReason::Failed;
}

const char* ReasonText(SkipReason reason) {
    switch (reason) {
        case SkipReason::MovedSince:
            return "moved since";
        case SkipReason::NameTakenSince:
            return "name taken since";
        case SkipReason::ChangedSince:
            return "changed since";
        case SkipReason::FolderNotEmpty:
            return "folder not empty";
        case SkipReason::Failed:
            return "failed";
        case SkipReason::None:
            break;
    }
    return "";
}

}  // namespace

std::string FormatTakeBackStep(const TakeBackStep& step) {
    const JournalChange& undo = step.undo;
    if (step.result == TakeBackResult::Skipped) {
        return "keep\t" + EscapePath(undo.path) + "\t" + ReasonText(step.reason);
    }
    switch (undo.kind) {
        case ChangeKind::Rename:
            return "rename\t" + EscapePath(undo.path) + "\t" + EscapePath(undo.other);
        case ChangeKind::Link:
            return "link\t" + EscapePath(undo.path) + "\t" + EscapePath(undo.other);
        case ChangeKind::Delete:
            return "delete\t" + EscapePath(undo.path);
        case ChangeKind::MakeFolder:
            return "mkdir\t" + EscapePath(undo.path);
        case ChangeKind::RemoveFolder:
            return "rmdir\t" + EscapePath(undo.path);
    }
    return {};
}

TakeBackReport TakeBack::Run(const Journal& journal) {
    TakeBackReport report;
    state_.m_bRunning = 1;
    host_.SetBusy(1, 1);
    const int total = static_cast<int>(journal.changes.size());
    for (int i = total - 1; i >= 0; --i) {
        host_.DrawProgress(total - i, total);
        host_.PumpOneMessage();
        if (state_.m_bRunning != 1) {
            report.stopped = true;
            break;
        }
        const JournalChange& change = journal.changes[static_cast<std::size_t>(i)];
        if (change.state == ChangeState::Kept) {
            continue;
        }
        if (change.state == ChangeState::Intended && change.kind == ChangeKind::Link &&
            recorder_ != nullptr) {
            RemoveLeftovers(change, journal.header.pid);
        }
        const TakeBackStep step = Carry(Decide(change));
        report.changed += step.result == TakeBackResult::Changed ? 1 : 0;
        report.alreadyBack += step.result == TakeBackResult::AlreadyBack ? 1 : 0;
        report.skipped += step.result == TakeBackResult::Skipped ? 1 : 0;
        if (listener_) {
            listener_(change, step);
        }
    }
    state_.m_bRunning = 0;
    host_.DrawProgress(0, 0);
    host_.SetBusy(0, 1);
    return report;
}

TakeBackStep TakeBack::Decide(const JournalChange& change) const {
    switch (change.kind) {
        case ChangeKind::Rename:
            return DecideRename(change, planned_);
        case ChangeKind::Link:
            return DecideLink(change, planned_);
        case ChangeKind::Delete:
            return DecideDelete(change, planned_);
        case ChangeKind::MakeFolder:
        case ChangeKind::RemoveFolder:
            return DecideFolder(change, planned_);
    }
    return Back();
}

TakeBackStep TakeBack::Carry(TakeBackStep step) {
    if (step.result != TakeBackResult::Changed) {
        return step;
    }
    if (recorder_ == nullptr) {
        planned_.Apply(step.undo);  // a preview: later changes see this one as made
        return step;
    }
    std::size_t number = 0;
    int error = recorder_->Intend(step.undo, number);
    if (error == 0) {
        error = Make(step.undo);
        recorder_->Settle(number, error == 0);
    }
    if (error != 0) {
        step.result = TakeBackResult::Skipped;
        step.reason = ReasonOf(step.undo, error);
        step.error = step.reason == SkipReason::Failed ? error : 0;
    }
    return step;
}

// A link made under a temporary name and not yet moved into place when the run was killed.
void TakeBack::RemoveLeftovers(const JournalChange& change, long pid) const {
    const std::string prefix = TemporaryLinkPrefix(ParentFolder(change.path) + "/", pid);
    FileFind finder;
    for (bool more = finder.FindFile(ParentFolder(change.path) + "/*"); more;) {
        more = finder.FindNextFile();
        const std::string path = finder.GetFilePath();
        if (path.starts_with(prefix) && !RemoveShortcutTo(path, change.other) &&
            !change.replaced.empty()) {
            RemoveShortcutTo(path, change.replaced);
        }
    }
}

std::optional<Journal> FindLatest(const JournalStore& store, TakeBackDirection direction) {
    const std::vector<Journal> journals = store.Load();
    const Journal* target =
        direction == TakeBackDirection::Undo ? LatestToUndo(journals) : LatestToRedo(journals);
    return target != nullptr ? std::optional<Journal>(*target) : std::nullopt;
}

TakeBackJournalResult TakeBackJournal(JournalStore& store, const Journal& target,
                                      TakeBackDirection direction, bool preview, TakeBack& takeBack,
                                      JournalWriter& writer, const std::string& version) {
    TakeBackJournalResult result;
    if (!preview) {
        JournalHeader header;
        header.kind = direction == TakeBackDirection::Undo ? JournalKind::Undo : JournalKind::Redo;
        header.folder = target.header.folder;
        header.version = version;
        header.takesBack = target.name;
        result.beginError = store.Begin(header, writer);
        if (result.beginError != 0) {
            return result;
        }
    }
    takeBack.SetRecorder(preview ? nullptr : &writer);
    result.report = takeBack.Run(target);
    takeBack.SetRecorder(nullptr);
    if (!preview) {
        // A stopped undo stays open: the next one goes on with the same run.
        result.finishError = writer.Finish(!result.report.stopped);
    }
    return result;
}
