#pragma once

#include "platform/dialog.h"

namespace velmira {

// A window that stays open beside its screen and never blocks it (the
// profile window, the scope): never modal, so Stop stays in reach, and placed
// where it leaves the screen's buttons free.
class CompanionWindow : public Dialog {
    Q_OBJECT
  public:
    CompanionWindow(MessageBoxes& boxes, const QString& title, QWidget* parent = nullptr);

    // On a panel over `area` of the screen, a part it can do without for a
    // while; elsewhere right of the screen, else below it, where the desktop
    // has room, else over `area` too. Left where the window system would put
    // it (over its screen), a window with no window manager can stay black.
    void placeBeside(const QWidget& screen, const QRect& area);

  protected:
    // Placed beside its screen, it stays there rather than in the panel's middle.
    void showEvent(QShowEvent* event) override;

  private:
    bool placed_ = false;
};

}  // namespace velmira
