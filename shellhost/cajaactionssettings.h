#pragma once

#include <string>
#include <string_view>
#include <vector>

// caja-actions keeps, in its own settings file (caja-actions.conf), the ids of the items at
// the top of its menu, in order. It fills a menu with the items its ItemsList names only when
// the menu comes before them in that list, and puts every item at the top when the list is
// empty, as it is the first time; the list it then writes is in the order it read the files
// in, so an item of a submenu could end up beside it. It also sorts every level by label
// unless told to keep the order given. The host changes only these two settings and leaves
// every other line of the file as it was.

// `settings` with `top` in the top-level list of group [runtime] (ids there already keep their
// place, the others come last), no other id beginning with `idPrefix` in it, and, when `top`
// is not empty and no order is chosen, the order given kept.
std::string WithCajaActionsTop(std::string_view settings, std::string_view idPrefix,
                               const std::vector<std::string>& top);

// Whether the top-level list of `settings` names any item.
bool HasCajaActionsTop(std::string_view settings);
