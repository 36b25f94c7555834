#include "organizer/conversiontables.h"

#include "platform/messagebox.h"

namespace {

// A table of the wrong size would be read past its end, so it counts as not found.
const unsigned char* LoadTable(ConversionTables::ResourceFinder find, std::string_view name,
                               std::size_t size, const char* failure) {
    const std::span<const unsigned char> data = find(name);
    if (data.size() != size) {
        AfxMessageBox(failure, MB_OK);
        return nullptr;
    }
    return data.data();
}

}  // namespace

void ConversionTables::Load(ResourceFinder find) {
    m_pGbToBig = LoadTable(find, "GBTOBIG", kGbToBigSize, "fail to load GB2BIG Resource");
    m_pBigToGb = LoadTable(find, "BIGTOGB", kBigToGbSize, "fail to load Big2GB Resource");
}
