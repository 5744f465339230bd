#pragma once

#include <QIcon>

// The application icon with all its sizes (16, 32, 48 and 256 pixels).
QIcon applicationIcon();

// Makes the artwork (":/artwork/...") readable. The icon does it itself; call it before reading
// other artwork, such as the splash picture, when nothing has asked for the icon yet.
void initArtwork();
