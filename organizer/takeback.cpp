#include "organizer/takeback.h"

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "organizer/filebytes.h"
#include "organizer/tagregion.h"
#include "organizer/tagwriter.h"
#include "platform/absolutepath.h"
#include "platform/fileentry.h"
#include "platform/filefind.h"
#include "platform/filerename.h"
#include "platform/folders.h"
#include "platform/shelllink.h"
#include "platform/systeminfo.h"

namespace {

Change Skipping(const Change& undo, Reason reason) {
    return Change::Keep(undo.path, reason);
}

Change Back(const Change& change) {
    return Change::Keep(change.path, Reason::AlreadyBack);
}

Change DecideRename(const Change& change, const PlannedEntries& view) {
    const Change undo = Change::Rename(change.other, change.path, change.identity);
    const Sameness atNewName = view.FileAt(change.other, change.identity);
    if (atNewName != Sameness::Same) {
        if (view.IsFile(change.path, change.identity)) {
            return Back(change);
        }
        // An inode given out again on a file system without birth times, with nothing known
        // to tell the files apart: it is never taken for the run's file.
        return Skipping(
            undo, atNewName == Sameness::Uncertain ? Reason::ChangedSince : Reason::MovedSince);
    }
    // Both names the same file: the old name is the file's own, not another's (a rename cut
    // short between linking the new name and unlinking the old one).
    if (view.Kind(change.path) == EntryKind::Missing || view.IsFile(change.path, change.identity)) {
        return undo;
    }
    return Skipping(undo, Reason::NameTakenSince);
}

Change DecideLink(const Change& change, const PlannedEntries& view) {
    if (change.replaced.empty()) {
        const Change undo = Change::Delete(change.path, change.other);
        if (view.IsLinkTo(change.path, change.other)) {
            return undo;
        }
        return view.Kind(change.path) == EntryKind::Missing ? Back(change)
                                                            : Skipping(undo, Reason::ChangedSince);
    }
    const Change undo = Change::Link(change.path, change.replaced, change.other);
    if (view.IsLinkTo(change.path, change.other)) {
        return undo;
    }
    return view.IsLinkTo(change.path, change.replaced) ? Back(change)
                                                       : Skipping(undo, Reason::ChangedSince);
}

// What a link holding `target` at `link` leads to: a relative target starts at its folder.
std::string LinkedPath(const std::string& link, const std::string& target) {
    return target.starts_with('/') ? target : ParentFolder(link) + "/" + target;
}

// `dead`: the change deleted a dead link, which comes back only while its target is missing
// (else it would come back as a link to whatever took that name since).
Change DecideDelete(const Change& change, const PlannedEntries& view, bool dead) {
    const Change undo = Change::Link(change.path, change.other);
    if (view.Kind(ParentFolder(change.path)) != EntryKind::Folder) {
        return Skipping(undo, Reason::MovedSince);  // its folder is gone: never made anew
    }
    if (dead && view.Kind(change.path) == EntryKind::Missing &&
        view.Kind(LinkedPath(change.path, change.other)) != EntryKind::Missing) {
        return Skipping(undo, Reason::ChangedSince);
    }
    if (view.Kind(change.path) == EntryKind::Missing) {
        return undo;
    }
    return view.IsLinkTo(change.path, change.other) ? Back(change)
                                                    : Skipping(undo, Reason::NameTakenSince);
}

Change DecideFolder(const Change& change, const PlannedEntries& view) {
    const EntryKind kind = view.Kind(change.path);
    if (change.kind == ChangeKind::MakeFolder) {
        const Change undo = Change::RemoveFolder(change.path);
        if (kind == EntryKind::Missing) {
            return Back(change);
        }
        return kind == EntryKind::Folder ? undo : Skipping(undo, Reason::ChangedSince);
    }
    const Change undo = Change::MakeFolder(change.path);
    if (kind == EntryKind::Missing) {
        return undo;
    }
    return kind == EntryKind::Folder ? Back(change) : Skipping(undo, Reason::NameTakenSince);
}

// True when the file at `path` holds, where an edit of `edits` stands, what it took or gave.
bool HoldsTagOf(const std::string& path, const std::vector<TagEdit>& edits) {
    const FileBytes file(path, 0, 0);
    return std::any_of(edits.begin(), edits.end(), [&](const TagEdit& edit) {
        const std::optional<std::size_t> size = TagRegionSize(file, edit.region);
        if (!size) {
            return false;
        }
        const std::string tag = TagRegionBytes(file, edit.region, *size);
        const std::uint32_t crc = RegionCrc(tag);
        return (tag.size() == edit.sourceLength && crc == edit.sourceCrc) ||
               (tag.size() == edit.resultLength && crc == edit.resultCrc);
    });
}

// The edit taken back, where the file still is. Whether it holds what the edit made, or is as
// it was already, only its bytes tell: the executor looks at them as it writes, under the
// same open file. A file no longer there may have been taken on by a take-back cut short,
// under the name a rename of the journal gave it before: it is back when it holds, there, the
// tag it had before the edit.
Change DecideRetag(const Change& change, const PlannedEntries& view, const std::string& movedTo) {
    const TagEdit& edit = change.rewrite->edit;
    const Change undo = Change::Retag(change.path, {InverseOf(edit), {}});
    if (view.Kind(change.path) != EntryKind::Missing) {
        return undo;
    }
    const TagEdit before{
        edit.sourceLength, edit.sourceCrc, edit.sourceLength, edit.sourceCrc, {}, {}, edit.region};
    return !movedTo.empty() && HoldsTagOf(movedTo, {before}) ? Back(change)
                                                             : Skipping(undo, Reason::MovedSince);
}

// An absolute path without empty, "." or ".." parts: one that names the place it reads.
bool IsPlainAbsolute(std::string_view path) {
    if (path.size() < 2 || path.front() != '/' || path.back() == '/') {
        return false;
    }
    for (std::size_t start = 1; start <= path.size();) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view part = path.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = slash + 1;
    }
    return true;
}

bool IsInside(const std::string& path, const std::string& folder) {
    return IsPlainAbsolute(path) && path.size() > folder.size() + 1 && path.starts_with(folder) &&
           path[folder.size()] == '/';
}

// True when the journal of `folder` could have made `change`: every place it changes lies in
// the folder (artist folders too: they are made in the run's folders), and a link that a run
// or a redo made points at a file of it. `forward`: the journal is a run's or a redo's.
bool Admits(const Change& change, const std::string& folder, bool forward) {
    if (!IsInside(change.path, folder)) {
        return false;
    }
    switch (change.kind) {
        case ChangeKind::Rename:
            return IsInside(change.other, folder);
        case ChangeKind::Link:
            return !forward || !change.replaced.empty() || IsInside(change.other, folder);
        case ChangeKind::Delete:
        case ChangeKind::MakeFolder:
        case ChangeKind::RemoveFolder:
        case ChangeKind::Retag:
            return true;
        case ChangeKind::Keep:
            break;
    }
    return false;
}

// True when the entry of `change` is as it was before `first`, the journal's first change of
// that path: taken back already, with every change of the path after it (an undo that was
// stopped after taking back some of a chain, such as a link made and then replaced).
bool IsBeforeFirst(const Change& first, const PlannedEntries& view) {
    switch (first.kind) {
        case ChangeKind::Link:
            return first.replaced.empty() ? view.Kind(first.path) == EntryKind::Missing
                                          : view.IsLinkTo(first.path, first.replaced);
        case ChangeKind::Delete:
            return view.IsLinkTo(first.path, first.other);
        case ChangeKind::MakeFolder:
            return view.Kind(first.path) == EntryKind::Missing;
        case ChangeKind::RemoveFolder:
            return view.Kind(first.path) == EntryKind::Folder;
        case ChangeKind::Rename:
        case ChangeKind::Retag:  // the file's own bytes tell, see DecideRetag
        case ChangeKind::Keep:
            break;
    }
    return false;
}

// A change the executor did not make, as the undo tells it: what became of the entry since.
Outcome AsTakeBack(const Change& undo, Outcome outcome) {
    if (outcome.Made()) {
        return outcome;
    }
    switch (outcome.change.reason) {
        case Reason::NameTaken:
            return {Skipping(undo, undo.kind == ChangeKind::Delete ? Reason::ChangedSince
                                                                   : Reason::NameTakenSince)};
        case Reason::Changed:
            return {Skipping(undo, Reason::ChangedSince)};
        default:
            break;
    }
    if (outcome.error == ENOTEMPTY) {
        return {Skipping(undo, Reason::FolderNotEmpty)};
    }
    if (outcome.error != 0) {
        return {Skipping(undo, Reason::Failed), outcome.error};
    }
    return outcome;
}

}  // namespace

TakeBackReport TakeBack::Run(const Journal& journal) {
    TakeBackReport report;
    state_.m_bRunning = 1;
    host_.SetBusy(1, 1);
    host_.PassStarted();
    folder_ = IsPlainAbsolute(journal.header.folder) ? journal.header.folder : std::string();
    // A folder that leads elsewhere than when the run began (a link pointed anew) is not the
    // run's; one that leads nowhere has moved, and its changes are told so one by one.
    const std::string resolved =
        journal.header.resolved.empty() ? std::string() : ResolvedPath(journal.header.folder);
    if (!resolved.empty() && resolved != journal.header.resolved) {
        folder_.clear();
    }
    forward_ = journal.header.kind != JournalKind::Undo;
    firstOf_.clear();
    rewrites_.clear();
    renamedAway_.clear();
    for (const JournalEntry& entry : journal.changes) {
        if (entry.change.kind != ChangeKind::Rename) {
            firstOf_.try_emplace(entry.change.path, &entry.change);
        }
        if (entry.change.kind == ChangeKind::Retag) {
            rewrites_[entry.change.path].push_back(entry.change.rewrite->edit);
        }
        if (entry.change.kind == ChangeKind::Rename) {
            renamedAway_[entry.change.other] = entry.change.path;
        }
    }
    const int total = static_cast<int>(journal.changes.size());
    for (int i = total - 1; i >= 0; --i) {
        host_.DrawProgress(total - i, total);
        host_.PumpOneMessage();
        if (state_.m_bRunning != 1) {
            report.stopped = true;
            break;
        }
        const JournalEntry& entry = journal.changes[static_cast<std::size_t>(i)];
        if (entry.state == ChangeState::Kept) {
            continue;
        }
        if (entry.state == ChangeState::Intended &&
            (entry.change.kind == ChangeKind::Link || entry.change.kind == ChangeKind::Retag) &&
            executor_.ChangesDisk()) {
            RemoveLeftovers(entry.change, journal.header.pid);
        }
        const Outcome outcome = Carry(Decide(entry.change));
        const bool back = outcome.change.reason == Reason::AlreadyBack;
        report.changed += outcome.Made() ? 1 : 0;
        report.alreadyBack += back ? 1 : 0;
        report.skipped += !outcome.Made() && !back ? 1 : 0;
        if (listener_) {
            listener_(entry.change, outcome);
        }
    }
    state_.m_bRunning = 0;
    host_.DrawProgress(0, 0);
    host_.SetBusy(0, 1);
    host_.RunEnded();
    return report;
}

Change TakeBack::Decide(const Change& change) const {
    if (folder_.empty() || !Admits(change, folder_, forward_)) {
        return Change::Keep(change.path, Reason::OutsideRun);
    }
    const PlannedEntries& view = executor_.Entries();
    const auto first = firstOf_.find(change.path);
    if (first != firstOf_.end() && IsBeforeFirst(*first->second, view)) {
        return Back(change);
    }
    switch (change.kind) {
        case ChangeKind::Rename:
            return DecideRename(WithRewrittenIdentity(change), view);
        case ChangeKind::Link:
            return DecideLink(change, view);
        case ChangeKind::Delete:
            return DecideDelete(change, view, forward_);
        case ChangeKind::MakeFolder:
        case ChangeKind::RemoveFolder:
            return DecideFolder(change, view);
        case ChangeKind::Retag: {
            const auto moved = renamedAway_.find(change.path);
            return DecideRetag(change, view,
                               moved == renamedAway_.end() ? std::string() : moved->second);
        }
        case ChangeKind::Keep:
            break;
    }
    return Back(change);
}

// A rename of a file whose tag the journal rewrote, with the identity the file has now where it
// holds one of those tags under either name.
Change TakeBack::WithRewrittenIdentity(const Change& rename) const {
    Change change = rename;
    for (const std::string& name : {rename.path, rename.other}) {
        const auto edits = rewrites_.find(name);
        if (edits == rewrites_.end()) {
            continue;
        }
        for (const std::string& at : {rename.other, rename.path}) {
            if (HoldsTagOf(at, edits->second) && IdentityOf(at, change.identity)) {
                return change;
            }
        }
    }
    return rename;
}

// Nothing to take back is no step; a change decided, or one decided against, goes to the
// executor, which shows it in a preview.
Outcome TakeBack::Carry(const Change& undo) {
    if (undo.reason == Reason::AlreadyBack) {
        return {undo};
    }
    return AsTakeBack(undo, executor_.Execute(undo));
}

// A link made under a temporary name and not yet moved into place when the run was killed;
// or the new file of a tag rewrite, named for the moment before it replaced the original.
void TakeBack::RemoveLeftovers(const Change& change, long pid) const {
    const std::string folder = ParentFolder(change.path) + "/";
    const bool retag = change.kind == ChangeKind::Retag;
    const std::string prefix =
        retag ? TemporaryRetagPrefix(folder, pid) : TemporaryLinkPrefix(folder, pid);
    FileFind finder;
    for (bool more = finder.FindFile(folder + "*"); more;) {
        more = finder.FindNextFile();
        const std::string path = finder.GetFilePath();
        if (!path.starts_with(prefix)) {
            continue;
        }
        if (retag) {
            if (EntryKindOf(path) == EntryKind::Other) {
                RemoveFile(path);
            }
        } else if (!RemoveShortcutTo(path, change.other) && !change.replaced.empty()) {
            RemoveShortcutTo(path, change.replaced);
        }
    }
}
