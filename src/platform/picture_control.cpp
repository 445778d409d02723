#include "platform/picture_control.h"

#include <QMouseEvent>

#include "platform/resources.h"

namespace velmira {

PictureControl::PictureControl(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
}

void PictureControl::showResource(int resource) {
    resource_ = resource;
    stale_ = true;
    if (isVisible()) drawn();
}

QPixmap PictureControl::drawn() {
    if (stale_) {
        stale_ = false;
        setPixmap(renderResource(resource_, size(), devicePixelRatioF()));
    }
    return pixmap();
}

void PictureControl::copyImageFrom(PictureControl& holder) {
    if (holder.size() != size()) return showResource(holder.resource());
    resource_ = holder.resource();
    stale_ = false;
    setPixmap(holder.drawn());
}

void PictureControl::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    if (resource_) showResource(resource_);
}

void PictureControl::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    drawn();
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (notifies_ && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

}  // namespace velmira
