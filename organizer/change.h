#pragma once

#include <memory>
#include <string>

#include "organizer/tagrewrite.h"
#include "platform/fileentry.h"

// What a run or an undo does to one entry on disk: the one vocabulary of the engine. A run
// decides changes from the tags, an undo decides them from a journal; a ChangeExecutor carries
// them out (or only shows them), and the journal writes them down before they are made.
//
// A Keep is the decision to leave an entry as it is, with its reason: it changes nothing and
// is never written down, but it is shown and counted like every other change.

enum class ChangeKind {
    Rename,        // `path` gets the name `other`; `identity` is the file, where known
    Link,          // the link `path` is written pointing at `other`, replacing one to `replaced`
    Delete,        // the link `path` goes: while it still points at `other`, or, with no
                   // `other` given, while it is still a dead link
    MakeFolder,    // the folder `path` is made
    RemoveFolder,  // the empty folder `path` is removed
    Retag,         // the tag the file `path` starts with is rewritten as `rewrite` says
    Keep,          // `path` stays as it is, for `reason`
};

enum class Reason {
    None,
    // A run's
    NoTitle,            // the tags give no title
    NoUsableTitle,      // nothing of the title is left for a name once it is cleaned
    NotMusic,           // the file's name says music, its contents a film (MP4 with video)
    NameTaken,          // another entry has the new name
    SameName,           // the file already has its new name
    NameTooLong,        // the new name is longer than the file system allows
    FolderNotWritable,  // the folder cannot take the new name (permissions, read-only)
    Changed,            // the entry changed between the look and the change
    Failed,             // the system refused for another reason
    // An undo's: what became of the entry since the change it takes back
    MovedSince,      // the file is no longer where the change put it
    NameTakenSince,  // something else has the name to go back to
    ChangedSince,    // the link or folder is no longer the one the change made
    FolderNotEmpty,  // the folder the change made holds other entries
    AlreadyBack,     // the entry is as it was before the change: nothing to take back
    OutsideRun,      // the journal names a place the run could not have changed
};

struct Change {
    ChangeKind kind = ChangeKind::Keep;
    std::string path;
    std::string other;
    std::string replaced;          // a link's: the target of the link it replaces, "" for none
    FileIdentity identity;         // a rename's
    Reason reason = Reason::None;  // a Keep's
    std::shared_ptr<const TagRewrite> rewrite;  // a Retag's

    static Change Rename(std::string from, std::string to, FileIdentity identity = {}) {
        return {ChangeKind::Rename, std::move(from), std::move(to), {}, identity, Reason::None, {}};
    }
    static Change Link(std::string link, std::string target, std::string replaced = {}) {
        return {ChangeKind::Link,
                std::move(link),
                std::move(target),
                std::move(replaced),
                {},
                Reason::None,
                {}};
    }
    static Change Delete(std::string link, std::string target = {}) {
        return {ChangeKind::Delete, std::move(link), std::move(target), {}, {}, Reason::None, {}};
    }
    static Change MakeFolder(std::string folder) {
        return {ChangeKind::MakeFolder, std::move(folder), {}, {}, {}, Reason::None, {}};
    }
    static Change RemoveFolder(std::string folder) {
        return {ChangeKind::RemoveFolder, std::move(folder), {}, {}, {}, Reason::None, {}};
    }
    static Change Keep(std::string path, Reason reason) {
        return {ChangeKind::Keep, std::move(path), {}, {}, {}, reason, {}};
    }
    static Change Retag(std::string file, TagRewrite rewrite) {
        return {ChangeKind::Retag,
                std::move(file),
                {},
                {},
                {},
                Reason::None,
                std::make_shared<const TagRewrite>(std::move(rewrite))};
    }
};

// How a change came out: the change itself when it was made (or, in a preview, would be), or
// a Keep saying why the entry stayed as it was. A name found taken is no failure (nothing is
// ever replaced); anything else that stopped the change (no permission, a read-only file
// system, an I/O error) carries its errno.
struct Outcome {
    Change change;
    int error = 0;

    bool Failed() const { return error != 0; }
    bool Made() const { return change.kind != ChangeKind::Keep; }
};

// The word of a change in the step lines and the journal: "rename", "link", "delete",
// "mkdir", "rmdir", "retag", "keep".
const char* KindWord(ChangeKind kind);
// The text of a Keep's reason in the step lines: "no title", "name taken since"...
const char* ReasonText(Reason reason);

// The line of one change, without its line feed, fields separated by a tab:
//   rename OLD NEW | link LINK TARGET | delete LINK | mkdir FOLDER | rmdir FOLDER
//   | keep PATH REASON | retag PATH
// A retag whose fields are known is one line a field: retag PATH FIELD OLD NEW, the lines
// separated by line feeds. Paths and texts are written as EscapePath gives them.
std::string FormatStep(const Change& change);
