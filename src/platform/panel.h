#pragma once

#include <QSize>
#include <QString>

class QWidget;

namespace velmira {

// A touch panel with no window manager: the program's windows are all there
// is on the screen, no frame moves or closes them, and no pointer hovers.
//
// The platforms that draw straight to the display, with no window manager
// between (linuxfb, eglfs and their kin).
bool isPanelPlatform(const QString& platformName);

// Whether the windows are laid out for such a panel: on those platforms, or
// when the panel layout was asked for (an X server run without a window
// manager looks like a desktop to Qt).
bool panelMode();
void setPanelMode(bool on);

// Places a top-level window in the middle of its screen, frame or none.
void centreOnScreen(QWidget& window);

}  // namespace velmira
