#include "selectors/SelectorImages.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>

#include <cmath>

static void initSelectorResources() {
    // The images live in a static library; without this the linker drops them.
    Q_INIT_RESOURCE(selectors);
}

QPixmap loadSelectorImage(const QString& name) {
    initSelectorResources();
    const QImage image(QStringLiteral(":/selectors/%1.xpm").arg(name));
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(image);
    const QColor transparent = image.pixelColor(0, image.height() - 1);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(transparent.rgb(), Qt::MaskInColor)
                                          .convertToFormat(QImage::Format_MonoLSB)));
    return pixmap;
}

void drawSelectorImage(QPainter& painter, int x, int y, const QPixmap& image) {
    if (image.isNull())
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const int factor = std::max(1, static_cast<int>(std::ceil(ratio)));
    if (factor == 1) {
        painter.drawPixmap(x, y, image);
    } else {
        QPixmap scaled =
            image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        scaled.setDevicePixelRatio(factor);
        painter.drawPixmap(x, y, scaled);
    }
    painter.restore();
}
