#include "organizer/journalstore.h"

#include <algorithm>

#include "platform/filedescriptor.h"
#include "platform/filefind.h"
#include "platform/folders.h"
#include "platform/systeminfo.h"
#include "platform/userfolders.h"

namespace {

constexpr std::string_view kSuffix = ".journal";

// True when a complete journal of `kind` takes back the journal named `name`.
bool IsTakenBack(const std::vector<Journal>& journals, const std::string& name, JournalKind kind) {
    return std::any_of(journals.begin(), journals.end(), [&](const Journal& other) {
        return other.complete && other.header.kind == kind && other.header.takesBack == name;
    });
}

}  // namespace

std::string JournalStore::DefaultFolder() {
    const std::string state = XdgStateHome();
    return state.empty() ? std::string() : state + "/sortune/runs";
}

int JournalStore::Begin(JournalHeader header, JournalWriter& writer) {
    if (folder_.empty()) {
        return ENOENT;
    }
    if (const int error = MakePrivateFolders(folder_)) {
        return error;
    }
    header.started = sysinfo::LocalTimeText();
    header.pid = sysinfo::ProcessId();
    // A second journal of this process within the same microsecond waits for the next one,
    // so that names keep sorting in time order.
    int error = EEXIST;
    for (int attempt = 0; error == EEXIST && attempt < 1000; ++attempt) {
        error = writer.Create(folder_ + "/" + sysinfo::TimeStamp() + "-" +
                                  std::to_string(header.pid) + std::string(kSuffix),
                              header);
    }
    if (error == 0) {
        Prune();
    }
    return error;
}

std::vector<std::string> JournalStore::Names() const {
    std::vector<std::string> names;
    FileFind finder;
    for (bool more = finder.FindFile(folder_ + "/*"); more;) {
        more = finder.FindNextFile();
        const std::string& name = finder.GetFileName();
        if (!finder.IsDirectory() && name.ends_with(kSuffix)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

void JournalStore::Prune() const {
    const std::vector<std::string> names = Names();
    for (std::size_t i = 0; i + kKeep < names.size(); ++i) {
        RemoveFile(folder_ + "/" + names[i]);
    }
}

std::vector<Journal> JournalStore::Load() const {
    std::vector<Journal> journals;
    for (const std::string& name : Names()) {
        std::string text;
        Journal journal;
        if (ReadWholeFile(folder_ + "/" + name, text) == 0 && ParseJournal(text, journal)) {
            journal.name = name;
            journals.push_back(std::move(journal));
        }
    }
    return journals;
}

bool WasTakenBack(const std::vector<Journal>& journals, const Journal& journal) {
    const JournalKind by =
        journal.header.kind == JournalKind::Undo ? JournalKind::Redo : JournalKind::Undo;
    return IsTakenBack(journals, journal.name, by);
}

const Journal* LatestToUndo(const std::vector<Journal>& journals) {
    for (auto it = journals.rbegin(); it != journals.rend(); ++it) {
        if (it->header.kind != JournalKind::Undo &&
            !IsTakenBack(journals, it->name, JournalKind::Undo)) {
            return &*it;
        }
    }
    return nullptr;
}

const Journal* LatestToRedo(const std::vector<Journal>& journals) {
    for (auto it = journals.rbegin(); it != journals.rend(); ++it) {
        if (it->header.kind == JournalKind::Run) {
            return nullptr;  // a new run ends what can be redone
        }
        if (it->header.kind == JournalKind::Undo && it->complete &&
            !IsTakenBack(journals, it->name, JournalKind::Redo)) {
            return &*it;
        }
    }
    return nullptr;
}
