#pragma once

#include <span>
#include <string_view>

// The program's binary resources (the two conversion tables), compiled into the executable
// and found by name as a Windows program finds its RCDATA resources.

namespace resources {

// The bytes of the resource `name`, valid for the life of the process; empty when there is
// no resource of that name. Names are compared exactly.
std::span<const unsigned char> FindResource(std::string_view name);

}  // namespace resources
