#pragma once

#include "app/ModalResult.h"

#include <QPushButton>

// A push button that ends its modal window (ModalForm) with its ModalResult when pressed,
// unless that is mrNone; with Cancel set, Escape in the window presses it.
class ModalButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(int ModalResult READ modalResult WRITE setModalResult)
    Q_PROPERTY(bool Cancel READ isCancel WRITE setCancel)

public:
    explicit ModalButton(QWidget* parent = nullptr);
    ModalButton(const QString& text, ModalResult result, QWidget* parent = nullptr);

    ModalResult modalResult() const { return m_modalResult; }
    void setModalResult(ModalResult result) { m_modalResult = result; }

    bool isCancel() const { return m_cancel; }
    void setCancel(bool cancel) { m_cancel = cancel; }

private:
    void passResultToWindow();

    ModalResult m_modalResult = mrNone;
    bool m_cancel = false;
};
