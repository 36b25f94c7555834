#pragma once

#include <string>

// What a run decided to do with one entry. The engine decides, a PlanExecutor carries the
// step out (or only shows it, in a preview), so the preview and the real run cannot disagree.

enum class StepKind {
    Rename,  // `path` gets the name `other`
    Link,    // the link `path` is written (or replaced), pointing at `other`
    Delete,  // the dead link `path` goes
    Keep,    // `path` stays as it is, for `reason`
};

enum class KeepReason {
    None,
    NoTitle,            // the tags give no title
    NoUsableTitle,      // nothing of the title is left for a name once it is cleaned
    NameTaken,          // another file has the new name
    SameName,           // the file already has its new name
    NameTooLong,        // the new name is longer than the file system allows
    FolderNotWritable,  // the folder cannot take the new name (permissions, read-only)
    Changed,            // the entry changed between the look and the step
    Failed,             // the system refused the step for another reason
};

struct PlanStep {
    StepKind kind = StepKind::Keep;
    std::string path;
    std::string other;
    KeepReason reason = KeepReason::None;

    static PlanStep Rename(std::string from, std::string to) {
        return {StepKind::Rename, std::move(from), std::move(to), KeepReason::None};
    }
    static PlanStep Link(std::string link, std::string target) {
        return {StepKind::Link, std::move(link), std::move(target), KeepReason::None};
    }
    static PlanStep Delete(std::string link) {
        return {StepKind::Delete, std::move(link), {}, KeepReason::None};
    }
    static PlanStep Keep(std::string path, KeepReason reason) {
        return {StepKind::Keep, std::move(path), {}, reason};
    }
};
