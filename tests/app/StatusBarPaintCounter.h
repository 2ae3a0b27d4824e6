#pragma once

#include <QEvent>
#include <QObject>

// Counts the paint events a widget receives, to tell an immediate repaint from a queued one.
class StatusBarPaintCounter : public QObject {
public:
    explicit StatusBarPaintCounter(QObject* watched) { watched->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
