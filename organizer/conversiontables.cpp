#include "organizer/conversiontables.h"

namespace {

// A table of the wrong size would be read past its end, so it counts as not found.
const unsigned char* LoadTable(ConversionTables::ResourceFinder find, std::string_view name,
                               std::size_t size) {
    const std::span<const unsigned char> data = find(name);
    return data.size() == size ? data.data() : nullptr;
}

}  // namespace

void ConversionTables::Load(ResourceFinder find) {
    m_pGbToBig = LoadTable(find, "GBTOBIG", kGbToBigSize);
    m_pBigToGb = LoadTable(find, "BIGTOGB", kBigToGbSize);
}
