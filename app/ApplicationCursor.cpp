#include "app/ApplicationCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {
bool s_overriding = false;
}

Qt::CursorShape ApplicationCursor::shape() {
    const QCursor* cursor = s_overriding ? QGuiApplication::overrideCursor() : nullptr;
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

void ApplicationCursor::setShape(Qt::CursorShape shape) {
    if (shape == Qt::ArrowCursor) {
        if (s_overriding) {
            s_overriding = false;
            QGuiApplication::restoreOverrideCursor();
        }
        return;
    }
    if (s_overriding && QGuiApplication::overrideCursor()) {
        QGuiApplication::changeOverrideCursor(QCursor(shape));
    } else {
        QGuiApplication::setOverrideCursor(QCursor(shape));
        s_overriding = true;
    }
}
