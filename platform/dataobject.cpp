#include "platform/dataobject.h"

#include <cstring>
#include <string_view>

namespace {

// The paths of a dropped-file list, in order; empty for a block that is not one.
std::vector<std::string_view> DropPaths(HDROP drop) {
    const auto memory = reinterpret_cast<HGLOBAL>(drop);
    const auto* bytes = static_cast<const char*>(GlobalLock(memory));
    const std::size_t size = GlobalSize(memory);
    std::vector<std::string_view> paths;
    if (bytes == nullptr || size < sizeof(DROPFILES)) {
        return paths;
    }
    DROPFILES header;
    std::memcpy(&header, bytes, sizeof header);
    if (header.fWide != FALSE || header.pFiles < sizeof header || header.pFiles > size) {
        return paths;
    }
    std::string_view rest(bytes + header.pFiles, size - header.pFiles);
    for (;;) {
        const auto nul = rest.find('\0');
        if (nul == 0 || nul == std::string_view::npos) {
            return paths;
        }
        paths.push_back(rest.substr(0, nul));
        rest.remove_prefix(nul + 1);
    }
}

}  // namespace

void ReleaseStgMedium(STGMEDIUM* medium) {
    if (medium == nullptr) {
        return;
    }
    if (medium->pUnkForRelease != nullptr) {
        medium->pUnkForRelease->Release();
    } else if (medium->tymed == TYMED_HGLOBAL) {
        GlobalFree(medium->hGlobal);
    }
    medium->tymed = TYMED_NULL;
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
}

HGLOBAL CreateDropFiles(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) {
        list.append(path.c_str(), std::strlen(path.c_str()) + 1);
    }
    list += '\0';
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* bytes = static_cast<char*>(GlobalLock(memory));
    if (bytes == nullptr) {
        return nullptr;
    }
    const DROPFILES header{sizeof(DROPFILES), {0, 0}, FALSE, FALSE};
    std::memcpy(bytes, &header, sizeof header);
    std::memcpy(bytes + sizeof header, list.data(), list.size());
    GlobalUnlock(memory);
    return memory;
}

UINT DragQueryFileA(HDROP drop, UINT index, char* file, UINT size) {
    const std::vector<std::string_view> paths = DropPaths(drop);
    if (index == 0xFFFFFFFFu) {
        return static_cast<UINT>(paths.size());
    }
    if (index >= paths.size()) {
        return 0;
    }
    const std::string_view path = paths[index];
    if (file == nullptr) {
        return static_cast<UINT>(path.size());
    }
    if (size == 0) {
        return 0;
    }
    const std::size_t copied = path.size() < size ? path.size() : size - 1;
    std::memcpy(file, path.data(), copied);
    file[copied] = '\0';
    return static_cast<UINT>(copied);
}
