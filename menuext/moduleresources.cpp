#include "menuext/moduleresources.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii.h"
#include "platform/codepage.h"

namespace menuext {

namespace {

struct StringResource {
    UINT id;
    const char* text;  // UTF-8 here, code page 936 when loaded
};

constexpr StringResource kStrings[] = {
    {IDS_ORGANIZE_HELP, "Register module using regsvr32 tool."},
    {IDS_CUSTOM_HELP, "Unregister module using regsvr32 tool."},
    {IDS_ABOUT_TEXT, "Mp3\\Wma文件名整理工具.\r\n作者: sortune 开发组"},
    {IDS_ABOUT_HELP, "About Sortmenu..."},
    {IDS_POPUP, "整理mp3\\wma文件(&M)"},
    {IDS_ORGANIZE, "整理当前文件夹\t(&S)"},
    {IDS_CUSTOM, "自定义整理...\t(&Q)"},
    {IDS_ABOUT, "关于...\t(&A)"},
};

// The 16 colours of the bitmaps, 0x00RRGGBB, indexed by the hex digits of the pictures below.
constexpr std::array<std::uint32_t, 16> kPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

constexpr int kBitmapSize = 9;

struct BitmapResource {
    UINT id;
    std::array<const char*, kBitmapSize> rows;
};

// A page with a folded corner, a window with its title bar, a question mark.
constexpr BitmapResource kBitmaps[] = {
    {IDB_PAGE,
     {"F000000FF", "F0FFFF00F", "F0FFFF0F0", "F0FFFF000", "F0F000FF0", "F0FFFFFF0", "F0F0000F0",
      "F0FFFFFF0", "F00000000"}},
    {IDB_WINDOW,
     {"000000000", "044444440", "0444444F0", "000000000", "0FFFFFFF0", "0FFFFFFF0", "0FFFFFFF0",
      "0FFFFFFF0", "000000000"}},
    {IDB_QUESTION,
     {"FFF444FFF", "FF4FFF4FF", "FFFFFF4FF", "FFFFF4FFF", "FFFF4FFFF", "FFFF4FFFF", "FFFFFFFFF",
      "FFFF4FFFF", "FFFFFFFFF"}},
};

HBITMAP MakeBitmap(const BitmapResource& resource) {
    std::vector<std::uint32_t> pixels;
    for (const char* row : resource.rows) {
        for (int x = 0; x < kBitmapSize; ++x) {
            pixels.push_back(kPalette[static_cast<std::size_t>(HexDigitValue(row[x]))]);
        }
    }
    return CreateBitmapFromPixels(kBitmapSize, kBitmapSize, pixels);
}

// The bitmaps, made when the module is loaded and deleted when it is unloaded.
class LoadedBitmaps {
public:
    LoadedBitmaps() {
        for (std::size_t i = 0; i < std::size(kBitmaps); ++i) {
            handles_[i] = MakeBitmap(kBitmaps[i]);
        }
    }
    ~LoadedBitmaps() {
        for (HBITMAP handle : handles_) {
            DeleteObject(handle);
        }
    }
    LoadedBitmaps(const LoadedBitmaps&) = delete;
    LoadedBitmaps& operator=(const LoadedBitmaps&) = delete;

    HBITMAP Find(UINT id) const {
        for (std::size_t i = 0; i < std::size(kBitmaps); ++i) {
            if (kBitmaps[i].id == id) {
                return handles_[i];
            }
        }
        return nullptr;
    }

private:
    std::array<HBITMAP, std::size(kBitmaps)> handles_{};
};

const LoadedBitmaps g_bitmaps;

}  // namespace

int LoadStringA(UINT id, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        return 0;
    }
    std::string text;
    for (const StringResource& resource : kStrings) {
        if (resource.id == id) {
            text = codepage::Utf8ToCp936Uncached(resource.text);
        }
    }
    const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    return static_cast<int>(copied);
}

HBITMAP ModuleBitmap(UINT id) {
    return g_bitmaps.Find(id);
}

}  // namespace menuext
