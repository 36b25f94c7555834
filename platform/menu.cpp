#include "platform/menu.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct MenuObject;

struct MenuItem {
    UINT type = MFT_STRING;
    UINT state = 0;
    UINT id = 0;
    MenuObject* popup = nullptr;
    HBITMAP checked = nullptr;
    HBITMAP unchecked = nullptr;
    std::string text;
};

// What a handle points to; the tag tells a menu from any other pointer.
struct MenuObject {
    std::uint32_t tag = 0;
    std::vector<MenuItem> items;
};
constexpr std::uint32_t kTag = 0x4D454E55;  // "MENU"

MenuObject* ObjectOf(HMENU menu) {
    auto* object = reinterpret_cast<MenuObject*>(menu);
    return object != nullptr && object->tag == kTag ? object : nullptr;
}

MenuItem* ItemAt(HMENU menu, UINT position, UINT flags) {
    MenuObject* object = ObjectOf(menu);
    if (object == nullptr || (flags & MF_BYPOSITION) == 0 || position >= object->items.size()) {
        return nullptr;
    }
    return &object->items[position];
}

}  // namespace

HMENU CreatePopupMenu() {
    // Owned by the handle: freed by DestroyMenu, or with the menu that opens it.
    return reinterpret_cast<HMENU>(new MenuObject{kTag, {}});
}

BOOL DestroyMenu(HMENU menu) {
    MenuObject* object = ObjectOf(menu);
    if (object == nullptr) {
        return FALSE;
    }
    for (const MenuItem& item : object->items) {
        DestroyMenu(reinterpret_cast<HMENU>(item.popup));
    }
    object->tag = 0;
    delete object;
    return TRUE;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, const char* text) {
    MenuObject* object = ObjectOf(menu);
    if (object == nullptr || (flags & MF_BYPOSITION) == 0) {
        return FALSE;
    }
    MenuItem item;
    item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
    if ((flags & MF_SEPARATOR) != 0) {
        item.type = MFT_SEPARATOR;
    } else {
        if ((flags & MF_POPUP) != 0) {
            item.popup = ObjectOf(reinterpret_cast<HMENU>(idOrPopup));
            if (item.popup == nullptr) {
                return FALSE;
            }
        } else {
            item.id = static_cast<UINT>(idOrPopup);
        }
        item.text = text != nullptr ? text : "";
    }
    const std::size_t at = position < object->items.size() ? position : object->items.size();
    object->items.insert(object->items.begin() + static_cast<std::ptrdiff_t>(at), item);
    return TRUE;
}

BOOL SetMenuItemBitmaps(HMENU menu, UINT position, UINT flags, HBITMAP unchecked, HBITMAP checked) {
    MenuItem* item = ItemAt(menu, position, flags);
    if (item == nullptr) {
        return FALSE;
    }
    item->unchecked = unchecked;
    item->checked = checked;
    return TRUE;
}

int GetMenuItemCount(HMENU menu) {
    const MenuObject* object = ObjectOf(menu);
    return object == nullptr ? -1 : static_cast<int>(object->items.size());
}

BOOL GetMenuItemInfoA(HMENU menu, UINT position, BOOL byPosition, MENUITEMINFOA* info) {
    const MenuItem* item = ItemAt(menu, position, byPosition != FALSE ? MF_BYPOSITION : 0);
    if (item == nullptr || info == nullptr) {
        return FALSE;
    }
    if ((info->fMask & MIIM_FTYPE) != 0) {
        info->fType = item->type;
    }
    if ((info->fMask & MIIM_STATE) != 0) {
        info->fState = item->state;
    }
    if ((info->fMask & MIIM_ID) != 0) {
        info->wID = item->id;
    }
    if ((info->fMask & MIIM_SUBMENU) != 0) {
        info->hSubMenu = reinterpret_cast<HMENU>(item->popup);
    }
    if ((info->fMask & MIIM_CHECKMARKS) != 0) {
        info->hbmpChecked = item->checked;
        info->hbmpUnchecked = item->unchecked;
    }
    if ((info->fMask & MIIM_STRING) != 0) {
        if (info->dwTypeData != nullptr && info->cch > 0) {
            const std::size_t copied =
                item->text.size() < info->cch ? item->text.size() : info->cch - 1;
            std::memcpy(info->dwTypeData, item->text.data(), copied);
            info->dwTypeData[copied] = '\0';
        }
        info->cch = static_cast<UINT>(item->text.size());
    }
    return TRUE;
}
