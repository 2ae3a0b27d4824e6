#include "app/TModalButton.h"

#include "app/TModalForm.h"

TModalButton::TModalButton(QWidget* parent)
    : QPushButton(parent) {
    // Connected first, so the window has its result before any other click handler runs.
    connect(this, &QAbstractButton::clicked, this, &TModalButton::passResultToWindow);
}

TModalButton::TModalButton(const QString& text, TModalResult result, QWidget* parent)
    : TModalButton(parent) {
    setText(text);
    m_modalResult = result;
}

void TModalButton::passResultToWindow() {
    if (m_modalResult == mrNone)
        return;
    if (auto* form = qobject_cast<TModalForm*>(window()))
        form->setModalResult(m_modalResult);
}
