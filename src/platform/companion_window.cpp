#include "platform/companion_window.h"

#include <QScreen>

#include "platform/panel.h"

namespace velmira {

CompanionWindow::CompanionWindow(MessageBoxes& boxes, const QString& title, QWidget* parent)
    : Dialog(boxes, parent) {
    setModal(false);
    setWindowFlag(Qt::Window);
    setWindowTitle(title);
}

void CompanionWindow::placeBeside(const QWidget& screen, const QRect& area) {
    placed_ = true;
    if (panelMode()) {
        setGeometry(QRect(screen.mapToGlobal(area.topLeft()), area.size()));
        return;
    }
    const QRect frame = screen.frameGeometry();
    const QScreen* display = screen.screen();
    const QRect desk = display ? display->availableGeometry() : frame;
    if (desk.right() - frame.right() >= width()) {
        move(frame.right() + 1, frame.top());
    } else if (desk.bottom() - frame.bottom() >= height()) {
        move(frame.left(), frame.bottom() + 1);
    } else {
        move(screen.mapToGlobal(area.topLeft()));
    }
}

void CompanionWindow::showEvent(QShowEvent* event) {
    if (placed_) return QDialog::showEvent(event);
    Dialog::showEvent(event);
}

}  // namespace velmira
