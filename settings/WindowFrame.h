#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>

class QWidget;
class QWindow;

// Reports the frame that the window manager puts around a top-level window. Some window
// systems (X11) tell it only once the window is mapped, shortly before it first appears on the
// screen; until then the frame counts as empty and the outer rectangle is the client's.
class WindowFrame : public QObject {
    Q_OBJECT

public:
    // Joins the window's children.
    explicit WindowFrame(QWidget* window);

    // As far as known now.
    QMargins margins() const;

signals:
    // When the window is shown, again each time the frame changes before the window first
    // appears, and once more, with final set, when it appears: from then on the margins are
    // those the window manager drew. A window placed here moves before or as it appears,
    // usually before its first paint.
    void changed(const QMargins& margins, bool final);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchHandle();
    void report(bool final);

    QWidget* m_window;
    QPointer<QWindow> m_handle;
    QMargins m_reported;
    bool m_appeared = false;
};
