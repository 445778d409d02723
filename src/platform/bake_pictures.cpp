// Run while the program is built: draws pictures from their SVG at the sizes
// given and writes each as OUT_DIR/<number>-<width>x<height>, the premultiplied
// ARGB pixels the program then shows without drawing them. With --png each is
// written as OUT_DIR/<number>-<width>x<height>.png instead: the icons that are
// installed for the desktop.
//
//   velmira_bake_pictures [--png] OUT_DIR NUMBER:WIDTHxHEIGHT...
#include <QDir>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSaveFile>
#include <cstdio>
#include <cstring>

#include "platform/resources.h"

using namespace velmira;

int main(int argc, char** argv) {
    const bool png = argc > 1 && std::strcmp(argv[1], "--png") == 0;
    if (png) {
        --argc;
        ++argv;
    }
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: velmira_bake_pictures [--png] OUT_DIR NUMBER:WIDTHxHEIGHT...\n");
        return 2;
    }
    // The SVGs' texts need the fonts, and so an application.
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "velmira_bake_pictures: cannot make %s\n", argv[1]);
        return 1;
    }
    const QRegularExpression form(QStringLiteral("^(\\d+):(\\d+)x(\\d+)$"));
    for (int i = 2; i < argc; ++i) {
        const QString item = QString::fromLocal8Bit(argv[i]);
        const QRegularExpressionMatch m = form.match(item);
        if (!m.hasMatch()) {
            std::fprintf(stderr, "velmira_bake_pictures: \"%s\" is not NUMBER:WIDTHxHEIGHT\n",
                         argv[i]);
            return 2;
        }
        const int resource = m.captured(1).toInt();
        const QSize size(m.captured(2).toInt(), m.captured(3).toInt());
        if (!hasResource(resource) || size.isEmpty()) {
            std::fprintf(stderr, "velmira_bake_pictures: no picture %s\n", argv[i]);
            return 1;
        }
        const QImage image = drawResource(resource, size);
        const QString name = QStringLiteral("%1-%2x%3%4")
                                 .arg(resource)
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(png ? QStringLiteral(".png") : QString());
        QSaveFile file(out.filePath(name));
        const qsizetype bytes = image.sizeInBytes();
        const bool written =
            file.open(QIODevice::WriteOnly) &&
            (png ? image.save(&file, "PNG")
                 : file.write(reinterpret_cast<const char*>(image.constBits()), bytes) == bytes);
        if (!written || !file.commit()) {
            std::fprintf(stderr, "velmira_bake_pictures: cannot write %s\n",
                         qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
