#include "shellhost/menulabel.h"

namespace {

std::string Joined(std::string_view text) {
    std::string joined(text);
    std::erase(joined, '\t');
    return joined;
}

}  // namespace

std::string PlainLabel(std::string_view text) {
    const std::string joined = Joined(text);
    std::string label;
    for (std::size_t i = 0; i < joined.size(); ++i) {
        if (joined[i] != '&') {
            label += joined[i];
        } else if (i + 1 < joined.size() && joined[i + 1] == '&') {
            label += '&';
            ++i;
        } else if (label.ends_with('(') && i + 2 < joined.size() && joined[i + 2] == ')') {
            // "(&S)": the whole group only names the mnemonic.
            label.pop_back();
            i += 2;
        }
    }
    return label;
}

std::string QtLabel(std::string_view text) {
    return Joined(text);
}

std::string GtkLabel(std::string_view text) {
    const std::string joined = Joined(text);
    std::string label;
    for (std::size_t i = 0; i < joined.size(); ++i) {
        if (joined[i] == '_') {
            label += "__";
        } else if (joined[i] != '&') {
            label += joined[i];
        } else if (i + 1 < joined.size() && joined[i + 1] == '&') {
            label += '&';
            ++i;
        } else if (i + 1 < joined.size()) {
            label += '_';
        }
    }
    return label;
}
