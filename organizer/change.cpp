#include "organizer/change.h"

#include "platform/absolutepath.h"

const char* KindWord(ChangeKind kind) {
    switch (kind) {
        case ChangeKind::Rename:
            return "rename";
        case ChangeKind::Link:
            return "link";
        case ChangeKind::Delete:
            return "delete";
        case ChangeKind::MakeFolder:
            return "mkdir";
        case ChangeKind::RemoveFolder:
            return "rmdir";
        case ChangeKind::Retag:
            return "retag";
        case ChangeKind::Keep:
            break;
    }
    return "keep";
}

const char* ReasonText(Reason reason) {
    switch (reason) {
        case Reason::NoTitle:
            return "no title";
        case Reason::NoUsableTitle:
            return "no usable title";
        case Reason::NotMusic:
            return "not music";
        case Reason::NameTaken:
            return "name taken";
        case Reason::SameName:
            return "same name";
        case Reason::NameTooLong:
            return "name too long";
        case Reason::FolderNotWritable:
            return "folder not writable";
        case Reason::Changed:
            return "changed";
        case Reason::Failed:
            return "failed";
        case Reason::MovedSince:
            return "moved since";
        case Reason::NameTakenSince:
            return "name taken since";
        case Reason::ChangedSince:
            return "changed since";
        case Reason::FolderNotEmpty:
            return "folder not empty";
        case Reason::AlreadyBack:
            return "already back";
        case Reason::OutsideRun:
            return "outside the run";
        case Reason::None:
            break;
    }
    return "";
}

namespace {

std::string RetagLines(const std::string& line, const Change& change) {
    if (change.rewrite == nullptr || change.rewrite->fields.empty()) {
        return line;
    }
    std::string lines;
    for (const RetagField& field : change.rewrite->fields) {
        lines += (lines.empty() ? "" : "\n") + line + "\t" + field.name + "\t" +
                 EscapePath(field.shown) + "\t" + EscapePath(field.repaired);
    }
    return lines;
}

}  // namespace

std::string FormatStep(const Change& change) {
    std::string line = std::string(KindWord(change.kind)) + "\t" + EscapePath(change.path);
    switch (change.kind) {
        case ChangeKind::Rename:
        case ChangeKind::Link:
            return line + "\t" + EscapePath(change.other);
        case ChangeKind::Keep:
            return line + "\t" + ReasonText(change.reason);
        case ChangeKind::Retag:
            return RetagLines(line, change);
        case ChangeKind::Delete:
        case ChangeKind::MakeFolder:
        case ChangeKind::RemoveFolder:
            break;
    }
    return line;
}
