#include "organizer/journal.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/absolutepath.h"
#include "platform/ascii.h"

namespace {

constexpr std::string_view kFirstLine = "sortune journal 1";

// The changes a journal holds, with the least number of path fields of their lines.
struct LineShape {
    ChangeKind kind;
    std::size_t paths;
};

constexpr LineShape kJournalKinds[] = {
    {ChangeKind::Rename, 2},     {ChangeKind::Link, 2},         {ChangeKind::Delete, 2},
    {ChangeKind::MakeFolder, 1}, {ChangeKind::RemoveFolder, 1}, {ChangeKind::Retag, 1},
};

constexpr std::size_t kTagEditFields = 6;
constexpr std::string_view kTailWord = "end";

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const auto tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(tab + 1);
    }
}

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

const LineShape* FindWord(std::string_view word) {
    for (const LineShape& entry : kJournalKinds) {
        if (KindWord(entry.kind) == word) {
            return &entry;
        }
    }
    return nullptr;
}

// "-", or spans as "OFFSET:HEX" joined by ",".
std::optional<std::vector<TagSpan>> ParseSpans(std::string_view text) {
    std::vector<TagSpan> spans;
    if (text == "-") {
        return spans;
    }
    while (!text.empty()) {
        const std::size_t comma = std::min(text.find(','), text.size());
        const std::string_view item = text.substr(0, comma);
        text.remove_prefix(std::min(comma + 1, text.size()));
        const std::size_t colon = item.find(':');
        const auto offset = ParseNumber<std::size_t>(item.substr(0, std::min(colon, item.size())));
        const std::string_view hex = colon == std::string_view::npos ? "" : item.substr(colon + 1);
        if (!offset || hex.empty() || hex.size() % 2 != 0 ||
            (!spans.empty() && *offset < spans.back().offset)) {
            return std::nullopt;
        }
        TagSpan span{*offset, {}};
        for (std::size_t i = 0; i < hex.size(); i += 2) {
            const int high = HexDigitValue(hex[i]);
            const int low = HexDigitValue(hex[i + 1]);
            // Only the lower case the program writes.
            if (high < 0 || low < 0 || hex[i] != AsciiLower(hex[i]) ||
                hex[i + 1] != AsciiLower(hex[i + 1])) {
                return std::nullopt;
            }
            span.bytes += static_cast<char>(high << 4 | low);
        }
        spans.push_back(std::move(span));
    }
    return spans;
}

// SOURCELENGTH SOURCECRC RESULTLENGTH RESULTCRC REMOVED INSERTED, from `fields[at]` on.
std::optional<TagEdit> ParseTagEdit(const std::vector<std::string_view>& fields, std::size_t at) {
    if (fields.size() < at + kTagEditFields) {
        return std::nullopt;
    }
    const auto sourceLength = ParseNumber<std::size_t>(fields[at]);
    const auto sourceCrc = ParseNumber<std::uint32_t>(fields[at + 1]);
    const auto resultLength = ParseNumber<std::size_t>(fields[at + 2]);
    const auto resultCrc = ParseNumber<std::uint32_t>(fields[at + 3]);
    auto removed = ParseSpans(fields[at + 4]);
    auto inserted = ParseSpans(fields[at + 5]);
    if (!sourceLength || !sourceCrc || !resultLength || !resultCrc || !removed || !inserted) {
        return std::nullopt;
    }
    return TagEdit{*sourceLength, *sourceCrc,          *resultLength,
                   *resultCrc,    std::move(*removed), std::move(*inserted)};
}

// "N\tverb\t..." as a change, or nothing when the line is not one.
std::optional<Change> ParseIntent(const std::vector<std::string_view>& fields) {
    const LineShape* word = fields.size() > 1 ? FindWord(fields[1]) : nullptr;
    if (word == nullptr) {
        return std::nullopt;
    }
    Change change;
    change.kind = word->kind;
    std::size_t at = 2;
    if (word->kind == ChangeKind::Rename) {
        const bool complete = fields.size() > 4;
        const auto device = complete ? ParseNumber<dev_t>(fields[2]) : std::nullopt;
        const auto inode = complete ? ParseNumber<ino_t>(fields[3]) : std::nullopt;
        const auto birth = complete ? ParseNumber<std::int64_t>(fields[4]) : std::nullopt;
        if (!device || !inode || !birth) {
            return std::nullopt;
        }
        change.identity = {*device, *inode, *birth};
        at = 5;
        // Older versions wrote no size and time of the last write; paths are absolute, so a
        // number where a path would be is one of those.
        const auto size = fields.size() > 8 ? ParseNumber<std::int64_t>(fields[5]) : std::nullopt;
        const auto modified =
            fields.size() > 8 ? ParseNumber<std::int64_t>(fields[6]) : std::nullopt;
        if (size && modified) {
            change.identity.size = *size;
            change.identity.modified = *modified;
            at = 7;
        }
    }
    if (word->kind == ChangeKind::Retag) {
        std::optional<TagEdit> edit = ParseTagEdit(fields, at);
        if (!edit) {
            return std::nullopt;
        }
        at += kTagEditFields;
        // Edits of a file's last bytes say so; a path, absolute, cannot be the word.
        if (fields.size() > at && fields[at] == kTailWord) {
            edit->region = TagRegion::Tail;
            ++at;
        }
        change.rewrite = std::make_shared<const TagRewrite>(TagRewrite{std::move(*edit), {}});
    }
    if (fields.size() < at + word->paths) {
        return std::nullopt;
    }
    change.path = UnescapePath(fields[at]);
    change.other = word->paths > 1 ? UnescapePath(fields[at + 1]) : std::string();
    if (word->kind == ChangeKind::Link && fields.size() > at + 2) {
        change.replaced = UnescapePath(fields[at + 2]);
    }
    return change;
}

bool SetHeaderField(std::string_view name, std::string_view value, JournalHeader& header) {
    if (name == "kind") {
        header.kind = value == "undo"   ? JournalKind::Undo
                      : value == "redo" ? JournalKind::Redo
                                        : JournalKind::Run;
    } else if (name == "started") {
        header.started = value;
    } else if (name == "folder") {
        header.folder = UnescapePath(value);
    } else if (name == "resolved") {
        header.resolved = UnescapePath(value);
    } else if (name == "options") {
        header.options = value;
    } else if (name == "version") {
        header.version = value;
    } else if (name == "pid") {
        header.pid = ParseNumber<long>(value).value_or(0);
    } else if (name == "takes-back") {
        header.takesBack = value;
    } else {
        return false;
    }
    return true;
}

// A change line of the body: an intent, or the mark of the change intended last (a mark goes
// out with the next intent or with the end, once). False when the line is neither.
bool TakeChangeLine(std::string_view line, Journal& journal) {
    const std::vector<std::string_view> fields = SplitFields(line);
    const auto number = ParseNumber<std::size_t>(fields[0]);
    if (!number || *number == 0) {
        return false;
    }
    if (fields.size() == 2 && (fields[1] == "done" || fields[1] == "kept")) {
        if (*number != journal.changes.size() ||
            journal.changes.back().state != ChangeState::Intended) {
            return false;
        }
        journal.changes.back().state = fields[1] == "done" ? ChangeState::Done : ChangeState::Kept;
        return true;
    }
    if (*number != journal.changes.size() + 1) {
        return false;
    }
    auto change = ParseIntent(fields);
    if (!change) {
        return false;
    }
    journal.changes.push_back({std::move(*change), ChangeState::Intended});
    return true;
}

}  // namespace

bool ChangedAnything(const Journal& journal) {
    for (const JournalEntry& entry : journal.changes) {
        if (entry.state != ChangeState::Kept) {
            return true;
        }
    }
    return false;
}

const char* KindName(JournalKind kind) {
    switch (kind) {
        case JournalKind::Undo:
            return "undo";
        case JournalKind::Redo:
            return "redo";
        case JournalKind::Run:
            break;
    }
    return "run";
}

std::string FormatHeader(const JournalHeader& header) {
    std::string text = std::string(kFirstLine) + "\n";
    text += "kind\t" + std::string(KindName(header.kind)) + "\n";
    text += "started\t" + header.started + "\n";
    text += "folder\t" + EscapePath(header.folder) + "\n";
    if (!header.resolved.empty()) {
        text += "resolved\t" + EscapePath(header.resolved) + "\n";
    }
    text += "options\t" + header.options + "\n";
    text += "version\t" + header.version + "\n";
    text += "pid\t" + std::to_string(header.pid) + "\n";
    if (!header.takesBack.empty()) {
        text += "takes-back\t" + header.takesBack + "\n";
    }
    return text + "changes\n";
}

namespace {

// Appends "\t" and the field; most paths need no escape and are copied whole.
void AppendField(std::string& out, const std::string& path) {
    out += '\t';
    if (path.find_first_of("\\\t\n\r") == std::string::npos) {
        out += path;
    } else {
        out += EscapePath(path);
    }
}

template <typename Number>
void AppendNumber(std::string& out, Number number) {
    char digits[24];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
    out.append(digits, end);
}

void AppendSpans(std::string& out, const std::vector<TagSpan>& spans) {
    out += '\t';
    if (spans.empty()) {
        out += '-';
    }
    constexpr char kDigits[] = "0123456789abcdef";
    for (const TagSpan& span : spans) {
        if (&span != &spans.front()) {
            out += ',';
        }
        AppendNumber(out, span.offset);
        out += ':';
        for (const char ch : span.bytes) {
            const auto byte = static_cast<unsigned char>(ch);
            out += kDigits[byte >> 4];
            out += kDigits[byte & 0x0F];
        }
    }
}

void AppendTagEdit(std::string& out, const TagEdit& edit) {
    for (const std::uint64_t number :
         {std::uint64_t{edit.sourceLength}, std::uint64_t{edit.sourceCrc},
          std::uint64_t{edit.resultLength}, std::uint64_t{edit.resultCrc}}) {
        out += '\t';
        AppendNumber(out, number);
    }
    AppendSpans(out, edit.removed);
    AppendSpans(out, edit.inserted);
    if (edit.region == TagRegion::Tail) {
        out += '\t';
        out += kTailWord;
    }
}

}  // namespace

void AppendIntent(std::string& out, std::size_t number, const Change& change) {
    if (change.kind == ChangeKind::Keep) {
        return;
    }
    AppendNumber(out, number);
    out += '\t';
    out += KindWord(change.kind);
    if (change.kind == ChangeKind::Rename) {
        for (const std::int64_t field :
             {static_cast<std::int64_t>(change.identity.device),
              static_cast<std::int64_t>(change.identity.inode), change.identity.birth,
              change.identity.size, change.identity.modified}) {
            out += '\t';
            AppendNumber(out, field);
        }
    }
    if (change.kind == ChangeKind::Retag) {
        AppendTagEdit(out, change.rewrite->edit);
    }
    AppendField(out, change.path);
    if (change.kind == ChangeKind::Rename || change.kind == ChangeKind::Link ||
        change.kind == ChangeKind::Delete) {
        AppendField(out, change.other);
    }
    if (change.kind == ChangeKind::Link && !change.replaced.empty()) {
        AppendField(out, change.replaced);
    }
    out += '\n';
}

void AppendMark(std::string& out, std::size_t number, bool made) {
    AppendNumber(out, number);
    out += made ? "\tdone\n" : "\tkept\n";
}

std::string FormatEnd() {
    return "end\n";
}

bool ParseJournal(std::string_view text, Journal& journal) {
    bool inChanges = false;
    bool first = true;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        if (end == std::string_view::npos) {
            break;  // a line cut short
        }
        ++lineNumber;
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (first) {
            if (line != kFirstLine) {
                return false;
            }
            first = false;
        } else if (!inChanges) {
            const auto tab = line.find('\t');
            inChanges = line == "changes";
            if (!inChanges &&
                (tab == std::string_view::npos ||
                 !SetHeaderField(line.substr(0, tab), line.substr(tab + 1), journal.header))) {
                return false;
            }
        } else if (journal.complete || (line != "end" && !TakeChangeLine(line, journal))) {
            journal.damagedLine = lineNumber;
            return true;
        } else {
            journal.complete = line == "end";
        }
    }
    return inChanges;
}
