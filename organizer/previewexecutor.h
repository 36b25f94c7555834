#pragma once

#include <ostream>
#include <string>
#include <unordered_map>

#include "organizer/planexecutor.h"
#include "platform/fileentry.h"

// Shows the steps of a run instead of carrying them out, one line per step (see FormatStep).
// A step that would find its name taken, or its folder closed to changes, is shown as the
// file kept ("name taken", "folder not writable"); names are looked up as if the steps shown
// so far had been carried out, so that the preview tells what the run would do.
class PreviewExecutor : public PlanExecutor {
public:
    // The stream must outlive the executor.
    explicit PreviewExecutor(std::ostream& out) : m_out(out) {}

    StepOutcome Execute(const PlanStep& step) override;

private:
    EntryKind Lookup(const std::string& path) const;
    bool CanChange(const std::string& folder);
    // The folder that is to hold the link `linkPath` can be made, or is there and open.
    bool CanLinkInto(const std::string& linkPath);
    PlanStep Outcome(const PlanStep& step);
    void Remember(const PlanStep& step);

    std::ostream& m_out;
    std::unordered_map<std::string, EntryKind> m_changed;  // names the steps shown have changed
    std::unordered_map<std::string, bool> m_changeable;    // folders looked at, by path
};

// The line of one step, without its line feed, fields separated by a tab:
//   rename OLD NEW | link LINK TARGET | delete LINK | keep PATH REASON
// with REASON one of "no title", "no usable title", "name taken", "same name", "name too
// long", "folder not writable", "changed", "failed". Paths are written as EscapePath gives them.
std::string FormatStep(const PlanStep& step);
