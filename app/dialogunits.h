#pragma once

// Dialog units: a dialog template places its controls in units of a quarter of the dialog
// font's average character width across and an eighth of its height down, so that a window
// laid out for one font keeps its proportions in another.

// The dialog font's base units in pixels: average character width and character height.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};

// The base units of a font from the width of "A" to "Z" and "a" to "z" written in it (its
// average character width, rounded) and its height.
DialogBaseUnits BaseUnitsOf(int alphabetWidth, int height);

struct DialogRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;

    int Right() const { return x + cx; }
    int Bottom() const { return y + cy; }
    bool operator==(const DialogRect&) const = default;
};

// A rectangle in dialog units as pixels; each of its four numbers is mapped on its own.
DialogRect MapDialogRect(const DialogRect& units, DialogBaseUnits base);
