// Draws the About window's logo: a stack of three framed pictures above the maker's mark,
// reduced to a 256-colour palette. Run once when the drawing changes:
//   pictavo-make-logo resources/Logo.bmp
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

namespace {

void drawPicture(QPainter& painter, const QRectF& frame, qreal angle, const QColor& sky,
                 const QColor& hill) {
    painter.save();
    painter.translate(frame.center());
    painter.rotate(angle);
    const QRectF outer(-frame.width() / 2, -frame.height() / 2, frame.width(), frame.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 60));
    painter.drawRect(outer.translated(4, 5));
    painter.setBrush(QColor(250, 248, 240));
    painter.setPen(QPen(QColor(90, 80, 70), 1.5));
    painter.drawRect(outer);
    const QRectF inner = outer.adjusted(9, 9, -9, -9);
    QLinearGradient skyGradient(inner.topLeft(), inner.bottomLeft());
    skyGradient.setColorAt(0, sky.lighter(140));
    skyGradient.setColorAt(1, sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(skyGradient);
    painter.drawRect(inner);
    painter.setBrush(QColor(255, 220, 90));
    painter.drawEllipse(
        QPointF(inner.right() - inner.width() * 0.25, inner.top() + inner.height() * 0.3),
        inner.width() * 0.09, inner.width() * 0.09);
    QPainterPath hills;
    hills.moveTo(inner.bottomLeft());
    hills.lineTo(inner.left(), inner.bottom() - inner.height() * 0.35);
    hills.quadTo(inner.left() + inner.width() * 0.3, inner.top() + inner.height() * 0.35,
                 inner.center().x(), inner.bottom() - inner.height() * 0.3);
    hills.quadTo(inner.right() - inner.width() * 0.2, inner.bottom() - inner.height() * 0.6,
                 inner.right(), inner.bottom() - inner.height() * 0.25);
    hills.lineTo(inner.bottomRight());
    hills.closeSubpath();
    painter.setBrush(hill);
    painter.drawPath(hills);
    painter.restore();
}

} // namespace

int main(int argc, char** argv) {
    // Needs no screen: painting into an image is all it does.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    QImage image(287, 282, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QRadialGradient background(QPointF(110, 90), 260);
    background.setColorAt(0, QColor(70, 120, 190));
    background.setColorAt(1, QColor(18, 36, 82));
    painter.fillRect(image.rect(), background);

    drawPicture(painter, QRectF(34, 30, 150, 118), -9, QColor(120, 170, 220), QColor(60, 130, 70));
    drawPicture(painter, QRectF(104, 50, 150, 118), 7, QColor(230, 150, 110), QColor(120, 90, 60));
    drawPicture(painter, QRectF(66, 84, 156, 122), -1, QColor(100, 190, 210), QColor(40, 110, 90));

    // The maker's mark: a bold Z drawn as a path, so no font decides its shape.
    QPainterPath mark;
    mark.moveTo(78, 222);
    mark.lineTo(210, 222);
    mark.lineTo(210, 232);
    mark.lineTo(104, 260);
    mark.lineTo(210, 260);
    mark.lineTo(210, 272);
    mark.lineTo(78, 272);
    mark.lineTo(78, 262);
    mark.lineTo(184, 234);
    mark.lineTo(78, 234);
    mark.closeSubpath();
    QLinearGradient gold(QPointF(0, 222), QPointF(0, 272));
    gold.setColorAt(0, QColor(255, 230, 140));
    gold.setColorAt(1, QColor(210, 150, 40));
    painter.setPen(QPen(QColor(90, 60, 10), 1.5));
    painter.setBrush(gold);
    painter.drawPath(mark);
    painter.end();

    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
    return indexed.save(QString::fromLocal8Bit(argv[1]), "BMP") ? 0 : 1;
}
