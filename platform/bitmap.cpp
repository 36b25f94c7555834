#include "platform/bitmap.h"

namespace {

// What a handle points to; the tag tells a bitmap from any other pointer.
struct BitmapObject {
    std::uint32_t tag = 0;
    BitmapPixels content;
};
constexpr std::uint32_t kTag = 0x424D5031;  // "BMP1"

BitmapObject* ObjectOf(HBITMAP bitmap) {
    auto* object = reinterpret_cast<BitmapObject*>(bitmap);
    return object != nullptr && object->tag == kTag ? object : nullptr;
}

}  // namespace

HBITMAP CreateBitmapFromPixels(int width, int height, const std::vector<std::uint32_t>& pixels) {
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return nullptr;
    }
    // Owned by the handle: freed by DeleteObject, as the system frees a GDI object.
    auto* object = new BitmapObject{kTag, BitmapPixels{width, height, pixels}};
    return reinterpret_cast<HBITMAP>(object);
}

BOOL DeleteObject(HBITMAP bitmap) {
    BitmapObject* object = ObjectOf(bitmap);
    if (object == nullptr) {
        return FALSE;
    }
    object->tag = 0;
    delete object;
    return TRUE;
}

bool GetBitmapPixels(HBITMAP bitmap, BitmapPixels& result) {
    const BitmapObject* object = ObjectOf(bitmap);
    if (object == nullptr) {
        return false;
    }
    result = object->content;
    return true;
}
