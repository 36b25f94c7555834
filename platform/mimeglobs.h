#pragma once

#include <string>
#include <string_view>

namespace registry_detail {

// The shared MIME database's glob file (`globs2`), which tells the MIME type of a file
// extension; internal to the registry.

// The MIME type that `globsPath` gives files ending in `extension` (".mp3" gives
// "audio/mpeg"), "" when none. Only plain "*.ext" patterns count; of several, the highest
// weight wins, then the first listed. Patterns marked "cs" match in exactly their case,
// others regardless of the case of A-Z.
std::string MimeTypeForExtension(const std::string& globsPath, std::string_view extension);

}  // namespace registry_detail
