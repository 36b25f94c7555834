#include "app/runjournal.h"

namespace {

// The options of a run as its journal keeps them.
std::string OptionWords(const RunState& state) {
    std::string words = state.m_bSubfolders == 1 ? "recursive" : "";
    if (state.m_bArtistDirs == 1 && state.m_bFromShell == 0) {
        words += words.empty() ? "by-artist" : " by-artist";
    }
    return words;
}

}  // namespace

int BeginRunJournal(JournalStore& store, const std::string& folder, const RunState& state,
                    JournalWriter& journal) {
    JournalHeader header;
    header.folder = folder;
    header.options = OptionWords(state);
    header.version = SORTUNE_VERSION;
    return store.Begin(header, journal);
}
