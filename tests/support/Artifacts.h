#pragma once

#include <QDir>
#include <QImage>
#include <QWidget>

// Saves a widget as drawn at scale 1 and 2 (<name>.png, <name>@2x.png) into the folder that
// PICTAVO_TEST_ARTIFACTS names, so a person can look at what the tests drew; nothing otherwise.
inline void saveGrabs(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("PICTAVO_TEST_ARTIFACTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    for (const int scale : {1, 2}) {
        QImage image(widget->size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::white);
        widget->render(&image);
        image.save(QDir(folder).filePath(name + (scale == 1 ? ".png" : "@2x.png")));
    }
}

// The drawn widget at scale 1, for checks on pixels.
inline QImage drawn(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    widget->render(&image);
    return image;
}

// The first column at or right of `from` where a pixel inside rect (its one-pixel edge left
// out, where a focus frame goes) differs from the background at the rect's top left; -1 when
// there is none.
inline int firstInkColumn(const QImage& image, const QRect& rect, int from) {
    const QRgb background = image.pixel(rect.left() + 1, rect.top() + 1);
    for (int x = from; x < rect.right(); ++x) {
        for (int y = rect.top() + 1; y < rect.bottom(); ++y) {
            if (image.pixel(x, y) != background)
                return x;
        }
    }
    return -1;
}
