#include "guard/MouseCapture.h"

#include <QApplication>
#include <QWidget>

void endMouseCapture() {
    // A pop-up that refuses to close stays the active one; stop there instead of spinning.
    QWidget* previous = nullptr;
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (popup == previous)
            break;
        previous = popup;
        popup->close();
    }
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}
