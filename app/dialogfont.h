#pragma once

#include <QFont>

#include "app/dialogunits.h"

// The dialogs' font: a 9-point Song face drawn from its bitmaps, without smoothing, the way
// the templates were laid out for; SimSun where it is installed, else a free Ming face.
QFont DialogFont();

// The base units of a font as the system measures them for a dialog.
DialogBaseUnits BaseUnitsOf(const QFont& font);
