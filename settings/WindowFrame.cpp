#include "settings/WindowFrame.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

WindowFrame::WindowFrame(QWidget* window)
    : QObject(window)
    , m_window(window) {
    m_window->installEventFilter(this);
    watchHandle();
}

QMargins WindowFrame::margins() const {
    return m_handle ? m_handle->frameMargins() : QMargins();
}

void WindowFrame::watchHandle() {
    QWindow* handle = m_window->windowHandle();
    if (handle == m_handle)
        return;
    if (m_handle)
        m_handle->removeEventFilter(this);
    m_handle = handle;
    if (m_handle)
        m_handle->installEventFilter(this);
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window) {
        if (event->type() == QEvent::Show) {
            // The native window exists from here on, possibly a new one.
            watchHandle();
            m_appeared = false;
            report(false);
        }
    } else if (watched == m_handle && !m_appeared) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            if (margins() != m_reported)
                report(false);
            break;
        case QEvent::Expose:
            if (m_handle->isExposed()) {
                m_appeared = true;
                report(true);
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowFrame::report(bool final) {
    m_reported = margins();
    emit changed(m_reported, final);
}
