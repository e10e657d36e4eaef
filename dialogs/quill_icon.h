// The program's icon and the About dialog's second animation frame, drawn
// here rather than loaded, so that no image plug-in is needed.
//
// Frame 0 is the program's icon: index cards standing in a wooden card box,
// with a quill (the same picture as share/quillbox.svg, which the desktop
// entry uses). Frame 1 is its companion: the quill bent down to the front
// card, writing the last line. Both are drawn on a 64-unit square scaled to
// the size asked for, on a transparent background. Needs a QGuiApplication.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace qb {

// Frame |frame| (0 or 1; any other value draws frame 0) as a square pixmap
// of |pixels| x |pixels| device-independent pixels.
QPixmap QuillboxIconFrame(int frame, int pixels);

// The program's icon (frame 0) at 16, 24, 32, 48, 64, 128 and 256 pixels,
// for the main window and the About dialog.
QIcon QuillboxIcon();

}  // namespace qb
