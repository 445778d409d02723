#include "platform/resources.h"

#include <QFile>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>

namespace velmira {
namespace {

QString pathOf(int resource) {
    return QStringLiteral(":/res/%1.svg").arg(resource);
}

// Premultiplied ARGB pixels, row after row, in the machine's byte order.
QString bakedPathOf(int resource, QSize size) {
    return QStringLiteral(":/baked/%1-%2x%3").arg(resource).arg(size.width()).arg(size.height());
}

qsizetype pixelBytes(QSize size) {
    return qsizetype(size.width()) * size.height() * 4;
}

QPixmap baked(int resource, QSize size) {
    const QResource found(bakedPathOf(resource, size));
    if (!found.isValid()) return {};
    auto* pixels = new QByteArray(found.uncompressedData());
    if (pixels->size() != pixelBytes(size)) {
        delete pixels;
        return {};
    }
    // Pixels left uncompressed are read in place from the program, where the
    // 32-bit alignment an image needs is not promised.
    if (reinterpret_cast<quintptr>(pixels->constData()) % alignof(quint32) != 0) {
        pixels->detach();
    }
    QImage image(
        reinterpret_cast<const uchar*>(pixels->constData()), size.width(), size.height(),
        size.width() * 4, QImage::Format_ARGB32_Premultiplied,
        [](void* owned) { delete static_cast<QByteArray*>(owned); }, pixels);
    return QPixmap::fromImage(std::move(image));
}

}  // namespace

bool hasResource(int resource) {
    return QFile::exists(pathOf(resource));
}

bool isBaked(int resource, QSize size, qreal devicePixelRatio) {
    if (size.isEmpty() || devicePixelRatio != 1.0) return false;
    const QResource found(bakedPathOf(resource, size));
    return found.isValid() && found.uncompressedSize() == pixelBytes(size);
}

QImage drawResource(int resource, QSize size, qreal devicePixelRatio) {
    if (size.isEmpty()) return {};
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(pathOf(resource));
    if (renderer.isValid()) {
        QPainter painter(&image);
        // Keep the picture's proportions inside the control, centred.
        const QSizeF drawn =
            QSizeF(renderer.defaultSize()).scaled(QSizeF(size), Qt::KeepAspectRatio);
        const QPointF origin((size.width() - drawn.width()) / 2,
                             (size.height() - drawn.height()) / 2);
        renderer.render(&painter, QRectF(origin, drawn));
    }
    return image;
}

QPixmap renderResource(int resource, QSize size, qreal devicePixelRatio) {
    if (size.isEmpty()) return {};
    if (devicePixelRatio == 1.0) {
        if (QPixmap pixmap = baked(resource, size); !pixmap.isNull()) return pixmap;
    }
    return QPixmap::fromImage(drawResource(resource, size, devicePixelRatio));
}

QIcon resourceIcon(int resource) {
    QIcon icon;
    for (int side : {16, 32, 48, 64}) icon.addPixmap(renderResource(resource, {side, side}));
    return icon;
}

}  // namespace velmira
