#pragma once

#include <optional>
#include <string>
#include <string_view>

// Thunar keeps every custom action, the user's own included, in one file, uca.xml. The host
// changes only its own `<action>` elements, found by their `<unique-id>`, and leaves every
// other byte of the file as it was.

// The text of a new uca.xml holding `actions`.
std::string NewUcaFile(std::string_view actions);

// `text` with every `<action>` whose unique id begins with `idPrefix` removed, and `actions`
// put where the first of them was (or, when there was none, before `</actions>`). nullopt when
// `text` has no `<actions>` element to hold them, or an element is not closed: such a file is
// not touched.
std::optional<std::string> MergeUcaActions(std::string_view text, std::string_view idPrefix,
                                           std::string_view actions);

// Whether `text` holds any `<action>` element.
bool HasUcaActions(std::string_view text);
