#pragma once

#include <QFrame>

class QLabel;
class QTimer;

// A topic's text in a small frameless window at the pointer; a click anywhere, a key or the
// loss of the focus closes it.
class THelpPopup : public QFrame {
    Q_OBJECT

public:
    explicit THelpPopup(QWidget* parent = nullptr);

    // Replaces the text and shows the pop-up near `pointer`, inside that screen.
    void showAt(const QPoint& pointer, const QString& html);
    QString text() const;

signals:
    void hidden();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Takes the pointer and the keyboard, so that a click or key anywhere reaches the pop-up;
    // stops trying once it has them.
    void TakeInput();

    QLabel* m_text;
    QTimer* m_takeInput;
    int m_triesLeft = 0;
};
