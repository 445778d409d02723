#include "platform/qt_message_boxes.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#include "platform/pacing.h"
#include "platform/panel.h"

namespace velmira {
namespace {

// On a panel Qt would place a box a frame's width and a title bar's height
// off the middle, leaving room for decorations that are not there.
class PanelMessageBox final : public QMessageBox {
  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);  // takes its final size here
        if (panelMode()) centreOnScreen(*this);
    }
};

}  // namespace

BoxAnswer QtMessageBoxes::show(const BoxRequest& request) {
    PanelMessageBox box;
    box.setText(QString::fromStdString(request.text));
    box.setWindowTitle(QString::fromStdString(request.caption));
    switch (request.icon) {
        case BoxIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case BoxIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case BoxIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case BoxIcon::Stop:
            box.setIcon(QMessageBox::Critical);
            break;
        case BoxIcon::None:
            break;
    }
    if (request.buttons == BoxButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return BoxAnswer::Ok;
}

void doEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

Pacing& Pacing::real() {
    class Real final : public Pacing {
      public:
        void sleepMs(int ms) override { QThread::msleep(static_cast<unsigned long>(ms)); }
        void doEvents() override { velmira::doEvents(); }
    };
    static Real pacing;
    return pacing;
}

}  // namespace velmira
