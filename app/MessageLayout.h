#pragma once

#include <QFontMetrics>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// Where the parts of a message dialog go, in pixels of its client area. Every measure comes
// from dialog units of the dialog's font: a horizontal unit is baseUnitX / 4 pixels, a
// vertical one baseUnitY / 8.
struct MessageLayout {
    int baseUnitX = 0; // average width of the letters A-Z and a-z
    int baseUnitY = 0; // height of a line
    QSize textSize;    // the wrapped message: its widest line by all its lines
    QRect iconRect;    // empty without an icon
    QRect textRect;
    QList<QRect> buttonRects; // left to right
    QSize clientSize;
};

// The message is wrapped at word boundaries within half the screen width; the dialog is as wide
// as the wider of the icon-and-text block and the button row, plus the margins.
MessageLayout computeMessageLayout(const QFontMetrics& metrics, QSize screenSize,
                                   const QString& text, bool hasIcon, int buttonCount);

// Top-left corner of a window of the given outer size centred on the screen.
QPoint centredWindowPosition(const QRect& screen, QSize outerSize);
