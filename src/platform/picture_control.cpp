#include "platform/picture_control.h"

#include <QMouseEvent>

#include "platform/resources.h"

namespace velmira {

PictureControl::PictureControl(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
}

void PictureControl::showResource(int resource) {
    resource_ = resource;
    setPixmap(renderResource(resource, size(), devicePixelRatioF()));
}

void PictureControl::copyImageFrom(const PictureControl& holder) {
    if (holder.size() != size()) return showResource(holder.resource());
    resource_ = holder.resource();
    setPixmap(holder.pixmap());
}

void PictureControl::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    if (resource_) showResource(resource_);
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (notifies_ && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

}  // namespace velmira
