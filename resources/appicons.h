#pragma once

#include <QIcon>
#include <QImage>

// The program's icons by resource id, as a Windows program loads its icon resources: each
// holds pictures of one or more sizes (16 x 16, 32 x 32), drawn in 16 colours.

namespace resources {

// The icon with all its sizes; a null icon when there is no icon of that id.
QIcon LoadAppIcon(int id);
// The picture of one size; a null image when the icon or that size does not exist.
QImage LoadAppIconImage(int id, int size);

}  // namespace resources
