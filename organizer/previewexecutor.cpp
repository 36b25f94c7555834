#include "organizer/previewexecutor.h"

#include "platform/absolutepath.h"
#include "platform/filerename.h"

namespace {

const char* ReasonText(KeepReason reason) {
    switch (reason) {
        case KeepReason::NoTitle:
            return "no title";
        case KeepReason::NoUsableTitle:
            return "no usable title";
        case KeepReason::NameTaken:
            return "name taken";
        case KeepReason::SameName:
            return "same name";
        case KeepReason::NameTooLong:
            return "name too long";
        case KeepReason::FolderNotWritable:
            return "folder not writable";
        case KeepReason::Changed:
            return "changed";
        case KeepReason::Failed:
            return "failed";
        case KeepReason::None:
            break;
    }
    return "";
}

}  // namespace

std::string FormatStep(const PlanStep& step) {
    switch (step.kind) {
        case StepKind::Rename:
            return "rename\t" + EscapePath(step.path) + "\t" + EscapePath(step.other);
        case StepKind::Link:
            return "link\t" + EscapePath(step.path) + "\t" + EscapePath(step.other);
        case StepKind::Delete:
            return "delete\t" + EscapePath(step.path);
        case StepKind::Keep:
            break;
    }
    return "keep\t" + EscapePath(step.path) + "\t" + ReasonText(step.reason);
}

StepOutcome PreviewExecutor::Execute(const PlanStep& step) {
    const PlanStep outcome = Outcome(step);
    m_out << FormatStep(outcome) << '\n';
    Remember(outcome);
    return {outcome};
}

EntryKind PreviewExecutor::Lookup(const std::string& path) const {
    const auto changed = m_changed.find(path);
    return changed != m_changed.end() ? changed->second : EntryKindOf(path);
}

bool PreviewExecutor::CanChange(const std::string& folder) {
    const auto known = m_changeable.find(folder);
    if (known != m_changeable.end()) {
        return known->second;
    }
    return m_changeable[folder] = CanChangeFolder(folder);
}

bool PreviewExecutor::CanLinkInto(const std::string& linkPath) {
    const std::string folder = ParentFolder(linkPath);
    if (Lookup(folder) != EntryKind::Missing) {
        return CanChange(folder);
    }
    // The run makes the artist folder first; one it made takes every link.
    if (!CanChange(ParentFolder(folder))) {
        return false;
    }
    m_changed[folder] = EntryKind::Folder;
    m_changeable[folder] = true;
    return true;
}

// What carrying the step out would come to: a rename fails on a taken name, a shortcut
// replaces nothing but a symbolic link, and nothing changes in a folder closed to changes.
PlanStep PreviewExecutor::Outcome(const PlanStep& step) {
    switch (step.kind) {
        case StepKind::Rename:
            if (Lookup(step.other) != EntryKind::Missing &&
                !IsCaseOnlyChange(step.path, step.other)) {
                return PlanStep::Keep(step.path, KeepReason::NameTaken);
            }
            return CanChange(ParentFolder(step.path))
                       ? step
                       : PlanStep::Keep(step.path, KeepReason::FolderNotWritable);
        case StepKind::Link:
            if (!CanLinkInto(step.path)) {
                return PlanStep::Keep(step.other, KeepReason::FolderNotWritable);
            }
            return Lookup(step.path) == EntryKind::SymbolicLink ||
                           Lookup(step.path) == EntryKind::Missing
                       ? step
                       : PlanStep::Keep(step.other, KeepReason::NameTaken);
        case StepKind::Delete:
            return CanChange(ParentFolder(step.path))
                       ? step
                       : PlanStep::Keep(step.path, KeepReason::FolderNotWritable);
        case StepKind::Keep:
            break;
    }
    return step;
}

void PreviewExecutor::Remember(const PlanStep& step) {
    switch (step.kind) {
        case StepKind::Rename:
            m_changed[step.path] = EntryKind::Missing;
            m_changed[step.other] = EntryKind::Other;
            break;
        case StepKind::Link:
            m_changed[step.path] = EntryKind::SymbolicLink;
            break;
        case StepKind::Delete:
            m_changed[step.path] = EntryKind::Missing;
            break;
        case StepKind::Keep:
            break;
    }
}
