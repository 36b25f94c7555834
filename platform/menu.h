#pragma once

#include <string>

#include "platform/bitmap.h"
#include "platform/wintypes.h"

// Menus as handles, as a context-menu handler fills the menu its host hands it: items with a
// text, a command id, a submenu or none, and the bitmaps shown beside them. A menu made in one
// module is filled and read in another: the handle points to plain data that every module
// reads the same way (the modules of the program are built together). Items are addressed by
// position (MF_BYPOSITION); addressing by command is not supported.

struct HMENU__;
using HMENU = HMENU__*;

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;

inline constexpr UINT MFT_STRING = 0x0000;
inline constexpr UINT MFT_SEPARATOR = 0x0800;

inline constexpr UINT MIIM_STATE = 0x0001;
inline constexpr UINT MIIM_ID = 0x0002;
inline constexpr UINT MIIM_SUBMENU = 0x0004;
inline constexpr UINT MIIM_CHECKMARKS = 0x0008;
inline constexpr UINT MIIM_STRING = 0x0040;
inline constexpr UINT MIIM_FTYPE = 0x0100;

struct MENUITEMINFOA {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    HBITMAP hbmpChecked;
    HBITMAP hbmpUnchecked;
    UINT_PTR dwItemData;
    char* dwTypeData;
    UINT cch;
    HBITMAP hbmpItem;
};

HMENU CreatePopupMenu();

// Destroys the menu and the submenus its items open; FALSE for a handle that is not a menu.
BOOL DestroyMenu(HMENU menu);

// Inserts an item before the one at `position` (at the end when `position` is past the last):
// a separator (MF_SEPARATOR), an item opening the submenu `idOrPopup` (MF_POPUP, which the menu
// then owns), or an item with the command id `idOrPopup`. `text` is 8-bit text of the code
// page, with '&' marking the mnemonic and a tab before the accelerator.
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, const char* text);

// Sets the bitmaps shown beside the item when it is not checked and when it is; the caller
// keeps them and keeps them alive while the menu shows.
BOOL SetMenuItemBitmaps(HMENU menu, UINT position, UINT flags, HBITMAP unchecked, HBITMAP checked);

// The number of items, -1 for a handle that is not a menu.
int GetMenuItemCount(HMENU menu);

// What `fMask` asks of the item at `position` (`byPosition` must be TRUE): its type, state,
// command id, submenu, bitmaps, text. For the text, `dwTypeData` receives at most `cch` - 1
// bytes and a NUL, and `cch` the text's length; with `dwTypeData` null only `cch` is set.
BOOL GetMenuItemInfoA(HMENU menu, UINT position, BOOL byPosition, MENUITEMINFOA* info);
