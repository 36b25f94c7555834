#include "organizer/runtally.h"

void RunTally::Count(const Change& change, const Outcome& outcome) {
    if (outcome.Failed()) {
        ++failed;
        return;
    }
    // A file whose tag is left as it is counts once, with its name.
    if (change.kind == ChangeKind::Retag) {
        retagged += outcome.Made() ? 1 : 0;
        return;
    }
    switch (outcome.change.kind) {
        case ChangeKind::Rename:
            ++renamed;
            break;
        case ChangeKind::Link:
            ++linked;
            break;
        case ChangeKind::Delete:
            ++deleted;
            break;
        case ChangeKind::Keep:
            ++kept;
            break;
        case ChangeKind::MakeFolder:
        case ChangeKind::RemoveFolder:
        case ChangeKind::Retag:
            break;  // part of the link that needed the folder
    }
}

Outcome TallyingExecutor::Execute(const Change& change) {
    const Outcome outcome = inner_.Execute(change);
    tally_.Count(change, outcome);
    if (listener_) {
        listener_(change, outcome);
    }
    return outcome;
}
