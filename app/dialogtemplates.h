#pragma once

#include <span>

#include "app/dialogunits.h"

// The dialogs' templates: each control's id, text and place in dialog units, as the dialogs
// are built from them.

struct DialogItem {
    int id;
    const char* text;  // UTF-8
    DialogRect rect;   // dialog units
};

struct DialogTemplate {
    const char* caption;  // UTF-8
    int cx;               // client size, dialog units
    int cy;
    std::span<const DialogItem> items;

    // The item of that id; it must exist.
    const DialogItem& Item(int id) const;
    // The item's rectangle in pixels.
    DialogRect ItemRect(int id, DialogBaseUnits base) const;
    // The client size in pixels.
    DialogRect ClientRect(DialogBaseUnits base) const;
};

// The main dialog: the progress area, the toggle, the options and the place of the buttons.
const DialogTemplate& MainDialogTemplate();
// The about box. Only its button has an id of its own (IDOK); the others are numbered here.
const DialogTemplate& AboutDialogTemplate();

// Ids of the main dialog's items and of the controls made in their place.
enum MainDialogId {
    IDC_SUBFOLDERS = 1009,
    IDC_ARTIST_DIRS = 1010,
    IDC_PROGRESS = 1017,
    IDC_OPTIONS = 1007,
    IDC_LINE = 1016,
    IDC_PICTURE = 1018,
    IDC_BUTTONS = 1019,
    IDC_OPEN = 1025,
    IDC_RECENT = 1026,
};

enum AboutDialogId {
    IDC_ABOUT_OK = 1,  // IDOK
    IDC_ABOUT_ICON = 2001,
    IDC_ABOUT_NAME = 2002,
    IDC_ABOUT_NOTICE = 2003,
};
