#pragma once

#include <string>

// What an organize run needs of the window that hosts it. The engine reaches its owner only
// through this interface, so that it runs without a window system and under test. Text is
// UTF-8.
class RunHost {
public:
    virtual ~RunHost() = default;

    // Puts the folder at the head of the recent folders.
    virtual void AddFolder(const std::string& folder) = 0;
    // Replaces the window caption.
    virtual void SetWindowText(const std::string& caption) = 0;
    // Redraws the progress bar; `total` is not 0 whenever `pos` is not.
    virtual void DrawProgress(int pos, int total) = 0;
    // Disables (running 1) or enables the controls that could start a run; with a non-zero
    // `setIcon` the Open button shows the running or the resting icon.
    virtual void SetBusy(int running, int setIcon) = 0;
    // Starts and stops the 100 ms timer whose ticks animate the Open button during the walk.
    virtual void StartBusyTimer() = 0;
    virtual void KillBusyTimer() = 0;
    // Asks a question with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(const std::string& question) = 0;
    // Dispatches at most one pending message; a stop request clears the run flag here.
    virtual void PumpOneMessage() = 0;

    // The phases of a run (and of an undo, which has no walk), for hosts that show them
    // apart: the walk begins, the file pass begins (before its first caption), the run ends
    // (after its last caption and the pass's end, once, however the run ended).
    virtual void WalkStarted() {}
    virtual void PassStarted() {}
    virtual void RunEnded() {}
};
