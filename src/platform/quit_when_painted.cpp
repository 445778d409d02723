#include "platform/quit_when_painted.h"

#include <QEvent>
#include <QWidget>

namespace velmira {

QuitWhenPainted::QuitWhenPainted(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
}

bool QuitWhenPainted::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Paint && !closing_) {
        closing_ = true;
        // Queued: the paint runs first, and the picture reaches the screen in
        // the same pass, before the queue is looked at again.
        QMetaObject::invokeMethod(&window_, &QWidget::close, Qt::QueuedConnection);
    }
    return false;
}

}  // namespace velmira
