#include "platform/resources.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace velmira {
namespace {

QString pathOf(int resource) {
    return QStringLiteral(":/res/%1.svg").arg(resource);
}

}  // namespace

bool hasResource(int resource) {
    return QFile::exists(pathOf(resource));
}

QPixmap renderResource(int resource, QSize size, qreal devicePixelRatio) {
    if (size.isEmpty()) return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(pathOf(resource));
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        // Keep the picture's proportions inside the control, centred.
        const QSizeF drawn =
            QSizeF(renderer.defaultSize()).scaled(QSizeF(size), Qt::KeepAspectRatio);
        const QPointF origin((size.width() - drawn.width()) / 2,
                             (size.height() - drawn.height()) / 2);
        renderer.render(&painter, QRectF(origin, drawn));
    }
    return pixmap;
}

QIcon resourceIcon(int resource) {
    QIcon icon;
    for (int side : {16, 32, 48, 64}) icon.addPixmap(renderResource(resource, {side, side}));
    return icon;
}

}  // namespace velmira
