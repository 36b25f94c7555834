#pragma once

#include <string>
#include <vector>

#include "organizer/tagedit.h"

// One field a tag repair rewrites, as the step lines show it: its name ("title", "artist",
// "band", "album"), the text a player shows today and the text it is given. UTF-8.
struct RetagField {
    std::string name;
    std::string shown;
    std::string repaired;
};

// A rewrite of a file's tag: the edit of its first bytes and, where known (a run's, not an
// undo's), the fields it repairs.
struct TagRewrite {
    TagEdit edit;
    std::vector<RetagField> fields;
};
