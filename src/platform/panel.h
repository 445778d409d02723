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

// The size of the working screens' buttons along their bottom edge (71 x 30
// dialog units in their template font): what a finger is given to press, and
// the least any button of a message box gets on a panel.
inline constexpr QSize kPanelButtonSize{124, 56};

// Places a top-level window in the middle of its screen, frame or none.
void centreOnScreen(QWidget& window);

}  // namespace velmira
