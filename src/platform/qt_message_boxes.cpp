#include "platform/qt_message_boxes.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#include "platform/pacing.h"

namespace velmira {

BoxAnswer QtMessageBoxes::show(const BoxRequest& request) {
    QMessageBox box;
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
