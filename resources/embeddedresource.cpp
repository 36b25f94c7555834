#include "resources/embeddedresource.h"

#include "resources/embeddedresource_p.h"

namespace resources {

std::span<const unsigned char> FindResource(std::string_view name) {
    for (const EmbeddedResource& resource : EmbeddedResources()) {
        if (resource.name == name) {
            return resource.data;
        }
    }
    return {};
}

}  // namespace resources
