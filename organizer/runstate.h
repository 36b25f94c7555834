#pragma once

#include <string>
#include <vector>

// The state of organize runs. The engine holds it; the dialog that owns the engine sets the
// options, reads the progress and clears m_bRunning to stop a run.
struct RunState {
    int m_bRunning = 0;                 // 1 while a run is in progress; cleared to ask for a stop
    std::string m_strRunFolder = "/";   // folder of the current run, base of artist folders
    std::string m_strLastFolder = "/";  // folder organised last, where the picker starts
    int m_nFolderCount = 0;             // folders entered by the current walk
    int m_nHiddenFolders = 0;           // folders whose names start with a dot, not entered
    int m_nOtherFormats = 0;   // audio files the walk left for want of the all-formats option
    int m_nFilesFound = 0;     // files the walk of the current (or last) run found to organize
    int m_bSubfolders = 0;     // option: search all sub-folders
    int m_bArtistDirs = 0;     // option: shortcuts in folders named after the artist
    int m_bFromShell = 0;      // 1 for a run started from the command line: no artist folders
    int m_bFixTags = 0;        // option: repair the tags' encoding (tagrepair.h)
    int m_bNoRename = 0;       // option: leave names as they are (with m_bFixTags: repair only)
    int m_bAllFormats = 0;     // option: FLAC, Ogg, MP4, APE and WavPack files too
    int m_nProgressPos = 0;    // number of the file being handled, from 1; 0 when idle
    int m_nProgressTotal = 0;  // files in the current pass; 0 when idle
    int m_nRenamed = 0;        // files placed since the owner was created, whatever the outcome
    // The folders of the operating system. Windows has one such folder; Linux spreads it over
    // several (/usr, /etc, /proc, ...), so the walk skips each folder of this list the same way.
    std::vector<std::string> m_strWindowsDir;
};
