#include "app/ModalButton.h"

#include "app/ModalForm.h"

ModalButton::ModalButton(QWidget* parent)
    : QPushButton(parent) {
    // Connected first, so the window has its result before any other click handler runs.
    connect(this, &QAbstractButton::clicked, this, &ModalButton::passResultToWindow);
}

ModalButton::ModalButton(const QString& text, ModalResult result, QWidget* parent)
    : ModalButton(parent) {
    setText(text);
    m_modalResult = result;
}

void ModalButton::passResultToWindow() {
    if (m_modalResult == mrNone)
        return;
    if (auto* form = qobject_cast<ModalForm*>(window()))
        form->setModalResult(m_modalResult);
}
