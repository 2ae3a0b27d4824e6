#pragma once

#include <QFrame>

class QLabel;
class QTimer;

// A topic's text in a small frameless window at the pointer; a click anywhere, a key or the
// loss of the focus closes it.
class HelpPopup : public QFrame {
    Q_OBJECT

public:
    explicit HelpPopup(QWidget* parent = nullptr);

    // Replaces the text and shows the pop-up near `pointer`, inside that screen.
    void showAt(const QPoint& pointer, const QString& html);
    QString text() const;

    // Where the window system gives programs no positions (Wayland), neither the pointer's nor
    // the control's, the pop-up is a small window of its own that the compositor places. It
    // cannot see clicks elsewhere there, so it closes when it loses the focus. The constructor
    // calls it on such a window system.
    void leavePlacementToCompositor();

signals:
    void hidden();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Takes the pointer and the keyboard, so that a click or key anywhere reaches the pop-up;
    // stops trying once it has them.
    void takeInput();

    QLabel* m_text;
    QTimer* m_takeInput;
    int m_triesLeft = 0;
    bool m_compositorPlaced = false;
};
