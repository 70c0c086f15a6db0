// Draws the program's images into a folder at build time:
//   varpen-draw-images <output folder>
#include "images/ImageKit.h"

#include <QDir>
#include <QImage>
#include <QSet>
#include <QString>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QSet<QString> seen;
    for (const VarpenImages::Image& image : VarpenImages::Registry()) {
        const QString name = QLatin1String(image.path);
        if (seen.contains(name)) {
            std::fprintf(stderr, "image %s is registered twice\n", image.path);
            return 1;
        }
        seen.insert(name);
        const QString path = out + QLatin1Char('/') + name;
        QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
        QImage canvas(image.size, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        {
            QPainter painter(&canvas);
            image.draw(painter, image.size);
        }
        if (!canvas.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    for (const VarpenImages::File& file : VarpenImages::FileRegistry()) {
        const QString name = QLatin1String(file.path);
        if (seen.contains(name)) {
            std::fprintf(stderr, "image %s is registered twice\n", file.path);
            return 1;
        }
        seen.insert(name);
        const QString path = out + QLatin1Char('/') + name;
        QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
        if (!file.write(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
