#pragma once

#include <functional>
#include <string>

#include "app/companionlibraries.h"
#include "app/settingsstore.h"
#include "organizer/diskexecutor.h"
#include "organizer/journalstore.h"
#include "organizer/runstate.h"
#include "organizer/takeback.h"

// What the window and the command line share below them: the user's settings, the journals
// that make every run undoable, the WMA module and the file-manager menus, and the sequence
// of a run and of an undo. Each front end shows the work its own way, through a RunHost; the
// session does the work the same way for both.

// The options of one run.
struct RunOptions {
    bool subfolders = false;       // search all sub-folders
    bool artistFolders = false;    // a link in a folder named after the artist, not a rename
    bool fromFileManager = false;  // started on a file manager's file: never artist folders
    bool fixTags = false;          // repair the tags' encoding too
    bool noRename = false;         // leave the names as they are
    bool allFormats = false;       // FLAC, Ogg, MP4, APE and WavPack files too
};

// How the journal of a run or an undo went.
struct JournalOutcome {
    int beginError = 0;   // it could not be begun: nothing was changed
    int finishError = 0;  // it could not be written to its end
    std::string path;     // its file; "" for a preview, which keeps none
};

struct TakeBackOutcome {
    bool found = false;  // there was a run (or, for a redo, an undo) to take back
    // A journal newer than any that could be taken back is damaged: nothing was changed.
    std::string damaged;  // its file
    std::size_t damagedLine = 0;
    TakeBackReport report;
    JournalOutcome journal;  // its beginError is EWOULDBLOCK while another process holds the
                             // journals: nothing was looked at
};

class Session {
public:
    // The settings must outlive the session; the journals are kept in `journalFolder`.
    explicit Session(SettingsStore& settings,
                     std::string journalFolder = JournalStore::DefaultFolder());

    SettingsStore& Settings() { return settings_; }
    const std::string& JournalFolder() const { return journals_.Folder(); }

    // The language check of every start: true when the system's language is simplified
    // Chinese; otherwise "Sorry, Only work GB2312!" is said in a box and it is false.
    static bool CheckLanguage();
    // Writes the program's own path into the settings, where the file-manager menus find it.
    void RecordProgramPath();
    // Registers the file-manager menu extension again. When that changed the registration,
    // the menu files of the user's file managers are written anew: the one step of a start
    // that writes into the home folder outside the program's own settings and journals.
    void RegisterFileManagerMenus();
    // Binds the WMA module beside the program, or frees it; without it WMA files have no
    // tags. An engine given GetAsfmeta() must not run after the module is freed.
    void BindWmaModule();
    void FreeWmaModule() { wma_ = {}; }
    PFN_GETASFMETA GetAsfmeta() const { return wma_.getAsfmeta; }

    // The options as stored: search all sub-folders, folders by artist.
    RunOptions StoredOptions() const;

    // One run over `folder` with `options`, set into `state` first: `run` does the walk and
    // the pass. With `disk`, the executor where the run's changes end, each change is written
    // into a new journal before it is made; a run whose journal cannot be begun is not made.
    // Without it (a preview) no journal is kept.
    JournalOutcome Organize(RunState& state, const std::string& folder, const RunOptions& options,
                            DiskExecutor* disk, const std::function<void()>& run);

    // True when an undo (or a redo) would find a journal to take back.
    bool CanTakeBack(TakeBackDirection direction) const;
    // Takes back the latest run (or, for a redo, the latest undo), newest change first,
    // keeping a journal of its own, so that a redo can take the undo back; a preview changes
    // nothing and keeps no journal. The journals are locked first, so that no run or other
    // undo changes them meanwhile; `announce` is told which journal is taken back before
    // anything is. The host shows the progress and `state` holds its run flag; the listener
    // is told of every change looked at, with what came (or, in a preview, would come) of it.
    TakeBackOutcome TakeBackLatest(TakeBackDirection direction, RunHost& host, RunState& state,
                                   const TakeBack::Listener& listener, bool preview,
                                   const std::function<void(const Journal&)>& announce);

private:
    // How a journal ends: written to its end, cut short (a stopped undo, which the next one
    // goes on with), or removed (an undo that took nothing back).
    enum class Ending { Complete, CutShort, Discard };

    // Does `work` with every change of `disk` written into a new journal with `header`.
    JournalOutcome Journaled(const JournalHeader& header, DiskExecutor& disk,
                             const std::function<Ending()>& work);

    SettingsStore& settings_;
    JournalStore journals_;
    WmaModule wma_;
};
