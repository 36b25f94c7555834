#pragma once

#include <span>
#include <string_view>

namespace resources {

struct EmbeddedResource {
    std::string_view name;
    std::span<const unsigned char> data;
};

// Every resource compiled into the program; defined in the source generated at build time.
std::span<const EmbeddedResource> EmbeddedResources();

}  // namespace resources
