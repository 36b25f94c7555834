#pragma once

#include "organizer/change.h"
#include "organizer/plannedentries.h"

// Carries out the changes that a run or an undo decided, one at a time: a DiskExecutor on
// disk, a DryRunExecutor only in a view of the disk. A change that cannot be made (its name
// taken, no permission) leaves everything as it was and says so in its outcome; the producer
// goes on with the next change.
class ChangeExecutor {
public:
    virtual ~ChangeExecutor() = default;

    virtual Outcome Execute(const Change& change) = 0;

    // The entries as the changes so far left them: the disk itself for a DiskExecutor, the
    // disk with the changes shown applied for a DryRunExecutor. A producer that decides from
    // what is on disk (an undo) looks here, so that a preview decides as the real run would.
    virtual const PlannedEntries& Entries() const = 0;
    // False for a preview: nothing on disk is ever changed.
    virtual bool ChangesDisk() const = 0;
};
