#pragma once

#include <string>
#include <vector>

#include "shellhost/handlerregistry.h"

// The selected paths a handler is given: made absolute (a file manager may pass names in the
// folder it shows), and only those of a file type the handler is registered for, since some
// file managers show the items on every file.
std::vector<std::string> SelectionFor(const HandlerRegistration& handler,
                                      const std::vector<std::string>& paths);
