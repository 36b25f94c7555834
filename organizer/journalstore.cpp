#include "organizer/journalstore.h"

#include <algorithm>

#include "platform/filedescriptor.h"
#include "platform/fileentry.h"
#include "platform/filefind.h"
#include "platform/folders.h"
#include "platform/systeminfo.h"
#include "platform/userfolders.h"

namespace {

constexpr std::string_view kSuffix = ".journal";
constexpr std::size_t kSequenceDigits = 10;

// The sequence number a journal's name starts with; 0 for the names of older versions, which
// began with the local time and so come before every numbered journal.
std::uint64_t SequenceOf(const std::string& name) {
    if (name.size() <= kSequenceDigits || name[kSequenceDigits] != '-') {
        return 0;
    }
    std::uint64_t sequence = 0;
    for (std::size_t i = 0; i < kSequenceDigits; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return 0;
        }
        sequence = sequence * 10 + static_cast<std::uint64_t>(name[i] - '0');
    }
    return sequence;
}

std::string NameFor(std::uint64_t sequence, long pid) {
    std::string digits = std::to_string(sequence);
    digits.insert(0, kSequenceDigits - std::min(kSequenceDigits, digits.size()), '0');
    return digits + "-" + sysinfo::UtcTimeStamp() + "-" + std::to_string(pid) +
           std::string(kSuffix);
}

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

int JournalStore::ReadyFolder() const {
    if (folder_.empty()) {
        return ENOENT;
    }
    if (const int error = MakePrivateFolders(folder_)) {
        return error;
    }
    return CheckPrivateFolder(folder_);
}

int JournalStore::Lock(FolderLock::Kind kind, FolderLock& lock) const {
    if (const int error = ReadyFolder()) {
        return error;
    }
    return lock.TryLock(folder_, kind);
}

int JournalStore::Begin(JournalHeader header, JournalWriter& writer) {
    if (const int error = ReadyFolder()) {
        return error;
    }
    header.started = sysinfo::LocalTimeText();
    header.pid = sysinfo::ProcessId();
    // Runs are ordered by their number, not by a clock that can be set back or moved by a
    // time zone. Two processes that take the same number find the name taken (the journal is
    // made only where its name is free) and take the next one.
    int error = EEXIST;
    for (int attempt = 0; error == EEXIST && attempt < 1000; ++attempt) {
        const std::vector<std::string> names = Names();
        const std::uint64_t last = names.empty() ? 0 : SequenceOf(names.back());
        error = writer.Create(folder_ + "/" + NameFor(last + 1 + attempt, header.pid), header);
    }
    if (error == 0) {
        Prune(writer.Path());
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
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::uint64_t sa = SequenceOf(a);
        const std::uint64_t sb = SequenceOf(b);
        return sa != sb ? sa < sb : a < b;
    });
    return names;
}

void JournalStore::Prune(const std::string& newest) const {
    const std::vector<std::string> names = Names();
    for (std::size_t i = 0; i + kKeep < names.size(); ++i) {
        const std::string path = folder_ + "/" + names[i];
        if (path != newest) {
            RemoveFile(path);
        }
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
        if (it->header.kind != JournalKind::Undo && it->damagedLine == 0 && ChangedAnything(*it) &&
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
        if (it->header.kind == JournalKind::Undo && it->complete && it->damagedLine == 0 &&
            !IsTakenBack(journals, it->name, JournalKind::Redo)) {
            return &*it;
        }
    }
    return nullptr;
}

std::vector<const Journal*> PartsOf(const std::vector<Journal>& journals, const Journal& target) {
    std::vector<const Journal*> parts = {&target};
    if (target.header.takesBack.empty()) {
        return parts;
    }
    for (auto it = journals.rbegin(); it != journals.rend(); ++it) {
        if (it->name != target.name && !it->complete && it->damagedLine == 0 &&
            it->header.kind == target.header.kind &&
            it->header.takesBack == target.header.takesBack) {
            parts.push_back(&*it);
        }
    }
    return parts;
}

const Journal* NewestDamaged(const std::vector<Journal>& journals) {
    for (auto it = journals.rbegin(); it != journals.rend(); ++it) {
        if (it->damagedLine != 0) {
            return &*it;
        }
    }
    return nullptr;
}
