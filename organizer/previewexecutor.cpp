#include "organizer/previewexecutor.h"

#include <sys/stat.h>

#include "platform/filerename.h"

namespace {

std::string Escape(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (const char ch : path) {
        switch (ch) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

const char* ReasonText(KeepReason reason) {
    switch (reason) {
        case KeepReason::NoTitle:
            return "no title";
        case KeepReason::NameTaken:
            return "name taken";
        case KeepReason::SameName:
            return "same name";
        case KeepReason::NameTooLong:
            return "name too long";
        case KeepReason::None:
            break;
    }
    return "";
}

}  // namespace

std::string FormatStep(const PlanStep& step) {
    switch (step.kind) {
        case StepKind::Rename:
            return "rename\t" + Escape(step.path) + "\t" + Escape(step.other);
        case StepKind::Link:
            return "link\t" + Escape(step.path) + "\t" + Escape(step.other);
        case StepKind::Delete:
            return "delete\t" + Escape(step.path);
        case StepKind::Keep:
            break;
    }
    return "keep\t" + Escape(step.path) + "\t" + ReasonText(step.reason);
}

void PreviewExecutor::Execute(const PlanStep& step) {
    const PlanStep outcome = Outcome(step);
    m_out << FormatStep(outcome) << '\n';
    Remember(outcome);
}

PreviewExecutor::EntryType PreviewExecutor::Lookup(const std::string& path) const {
    const auto changed = m_changed.find(path);
    if (changed != m_changed.end()) {
        return changed->second;
    }
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return EntryType::Missing;
    }
    return S_ISLNK(info.st_mode) ? EntryType::SymbolicLink : EntryType::Other;
}

// What carrying the step out would come to: a rename fails on a taken name, and a shortcut
// replaces nothing but a symbolic link.
PlanStep PreviewExecutor::Outcome(const PlanStep& step) const {
    if (step.kind == StepKind::Rename && Lookup(step.other) != EntryType::Missing &&
        !IsCaseOnlyChange(step.path, step.other)) {
        return PlanStep::Keep(step.path, KeepReason::NameTaken);
    }
    if (step.kind == StepKind::Link && Lookup(step.path) == EntryType::Other) {
        return PlanStep::Keep(step.other, KeepReason::NameTaken);
    }
    return step;
}

void PreviewExecutor::Remember(const PlanStep& step) {
    switch (step.kind) {
        case StepKind::Rename:
            m_changed[step.path] = EntryType::Missing;
            m_changed[step.other] = EntryType::Other;
            break;
        case StepKind::Link:
            m_changed[step.path] = EntryType::SymbolicLink;
            break;
        case StepKind::Delete:
            m_changed[step.path] = EntryType::Missing;
            break;
        case StepKind::Keep:
            break;
    }
}
