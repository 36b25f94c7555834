#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "organizer/audioformat.h"
#include "organizer/changeexecutor.h"
#include "organizer/runhost.h"
#include "organizer/runstate.h"
#include "platform/filefind.h"
#include "platform/shelllink.h"

// The full paths of the audio files one walk found, in the order it met them.
using FileList = std::vector<std::string>;

// Milliseconds of a monotonic clock, compared by unsigned subtraction.
using TickSource = std::function<std::uint32_t()>;

// The folder walk of an organize run: collects the MP3 and WMA files (with the all-formats
// option, the audio files of every format of audioformat.h) of a folder (and, with
// the sub-folder option, of every folder below it, depth first) and deletes the dead
// shortcuts it meets. It dispatches one message per directory entry and stops after the
// current entry once the run flag is cleared. Links to folders are not followed, nor are
// sub-folders whose names start with a dot entered (the folder given is walked whatever its
// name); RunState counts them, and the audio files of formats the options leave.
class TrackDiscovery {
public:
    // The state, the host and the executor must outlive the walk; the clock is kept as a copy.
    TrackDiscovery(RunState& state, RunHost& host, ChangeExecutor& executor, TickSource tick)
        : m_state(state), m_host(host), m_executor(executor), m_tick(std::move(tick)) {}

    // Appends the audio files of `folder` (no trailing '/' as a rule) to `list`. `startTick`
    // is the entry tick of the parent folder (or the run's start tick): the caption shows the
    // folder count when this folder is entered more than 500 ms later. With a non-zero
    // `topLevel`, both options on and anything else than audio files in the folder, the user
    // is asked to confirm; returns 1 when the user declined, else 0.
    int ScanFolder(const std::string& folder, FileList& list, std::uint32_t startTick,
                   int topLevel);

    // Looks at a shortcut met by the walk; a dead one is deleted (through the executor).
    ShortcutState CheckShortcut(const std::string& linkPath);

private:
    bool IsSystemFolder(const std::string& folder) const;
    void EnterSubfolder(const FileFind& finder, FileList& list, std::uint32_t entryTick);
    // Files are 1 when appended to the list, 0 when they count among the other entries.
    int TakeFile(const std::string& path, FileList& list);
    bool Takes(AudioFormat format) const;

    RunState& m_state;
    RunHost& m_host;
    ChangeExecutor& m_executor;
    TickSource m_tick;
};
