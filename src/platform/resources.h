#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace velmira {

// Icons and bitmaps by resource number, drawn from res/<number>.svg.
bool hasResource(int resource);
QPixmap renderResource(int resource, QSize size, qreal devicePixelRatio = 1.0);
QIcon resourceIcon(int resource);

}  // namespace velmira
