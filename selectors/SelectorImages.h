#pragma once

#include <QPixmap>
#include <QString>

class QPainter;

// The selectors' drive and folder images: 16-colour bitmaps whose lower-left pixel's colour is
// the transparent one.
QPixmap loadSelectorImage(const QString& name);

// Draws an image at its own logical size, scaled to the screen without smoothing so that its
// pixels stay crisp on a high-density screen.
void drawSelectorImage(QPainter& painter, int x, int y, const QPixmap& image);
