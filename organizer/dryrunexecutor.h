#pragma once

#include <ostream>
#include <string>

#include "organizer/changeexecutor.h"

// Makes no change, but tells what each would come to: a change that would find its name
// taken, or its folder closed to changes, comes out as the entry kept ("name taken", "folder
// not writable"); names are looked up as if the changes so far had been made, so that the
// preview tells what the run or the undo would do. Each outcome is written to the stream, when
// there is one, as a line (see FormatStep).
class DryRunExecutor : public ChangeExecutor {
public:
    DryRunExecutor() = default;
    // The stream must outlive the executor.
    explicit DryRunExecutor(std::ostream& out) : out_(&out) {}

    Outcome Execute(const Change& change) override;
    const PlannedEntries& Entries() const override { return planned_; }
    bool ChangesDisk() const override { return false; }

private:
    Change Decide(const Change& change);
    // The folder that is to hold the link `linkPath` can be made, or is there and open.
    bool CanLinkInto(const std::string& linkPath);
    Change InOpenFolder(const Change& change, const std::string& kept) const;

    std::ostream* out_ = nullptr;
    PlannedEntries planned_;
};
