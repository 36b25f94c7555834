#pragma once

#include "organizer/changeexecutor.h"
#include "organizer/changerecorder.h"

// Makes changes on disk. Nothing is ever replaced but a symbolic link by a new link of the
// same name: a rename fails when its name is taken (the check and the rename are one atomic
// call), a link goes only while it is still the link the change names, a folder only when
// empty. Each outcome says what happened, and why when nothing did.
//
// With a recorder every change is written down before it is made (the file's identity for a
// rename, the link replaced, the target of a link deleted, a folder made) and marked after
// it; a change that cannot be written down is not made.
class DiskExecutor : public ChangeExecutor {
public:
    // The recorder, when there is one, must outlive the executor's use of it.
    explicit DiskExecutor(ChangeRecorder* recorder = nullptr) : recorder_(recorder) {}
    void SetRecorder(ChangeRecorder* recorder) { recorder_ = recorder; }

    Outcome Execute(const Change& change) override;
    const PlannedEntries& Entries() const override { return disk_; }
    bool ChangesDisk() const override { return true; }

private:
    Outcome Rename(Change change);
    Outcome Link(Change change);
    Outcome Delete(Change change);
    Outcome Folder(const Change& change);
    Outcome Retag(const Change& change);
    // Makes `change` with `make` (which returns 0 or an errno), written down before and after.
    // Returns 0 or the errno of the failure.
    template <typename Make>
    int Recorded(const Change& change, Make make);

    ChangeRecorder* recorder_;
    PlannedEntries disk_;  // nothing planned: the disk as it is
};

// The outcome of a change the system refused with `error`: the entry `kept` stays as it was.
// A taken name is no failure; a missing permission or a read-only file system is told apart
// from other errors, as the preview tells it beforehand.
Outcome RefusedStep(const std::string& kept, int error);
