#pragma once

#include <ostream>
#include <string>
#include <unordered_map>

#include "organizer/planexecutor.h"

// Shows the steps of a run instead of carrying them out, one line per step (see FormatStep).
// A rename or a shortcut that would find its name taken is shown as the file kept ("name
// taken"); names are looked up as if the steps shown so far had been carried out, so that the
// preview tells what the run would do.
class PreviewExecutor : public PlanExecutor {
public:
    // The stream must outlive the executor.
    explicit PreviewExecutor(std::ostream& out) : m_out(out) {}

    void Execute(const PlanStep& step) override;

private:
    enum class EntryType { Missing, SymbolicLink, Other };

    EntryType Lookup(const std::string& path) const;
    PlanStep Outcome(const PlanStep& step) const;
    void Remember(const PlanStep& step);

    std::ostream& m_out;
    std::unordered_map<std::string, EntryType> m_changed;  // names the steps shown have changed
};

// The line of one step, without its line feed, fields separated by a tab:
//   rename OLD NEW | link LINK TARGET | delete LINK | keep PATH REASON
// with REASON one of "no title", "name taken", "same name", "name too long". In the paths a
// backslash, tab, line feed and carriage return are written \\, \t, \n and \r, so that every
// step stays one line; all other bytes are written as they are.
std::string FormatStep(const PlanStep& step);
