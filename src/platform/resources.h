#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>

namespace velmira {

// Icons and bitmaps by resource number, drawn from res/<number>.svg.
//
// The pictures the main menu shows are drawn once more when the program is
// built, at the sizes the menu shows them at (the list is in
// src/CMakeLists.txt): a start then parses and draws no SVG at all, and the
// SVG drawing is paid for by the screens that need it, when they open.
bool hasResource(int resource);
// The picture drawn at build time when there is one for this size, else the
// SVG drawn now; the same pixels either way.
QPixmap renderResource(int resource, QSize size, qreal devicePixelRatio = 1.0);
QIcon resourceIcon(int resource);

// The SVG drawn now, whatever was drawn at build time.
QImage drawResource(int resource, QSize size, qreal devicePixelRatio = 1.0);
// Whether renderResource takes this picture from the build.
bool isBaked(int resource, QSize size, qreal devicePixelRatio = 1.0);

}  // namespace velmira
