#include "app/ModalForm.h"

#include "app/ModalButton.h"
#include "app/QuitMonitor.h"

#include <QCloseEvent>
#include <QHideEvent>

ModalForm::ModalForm(QWidget* parent)
    : QDialog(parent) {}

void ModalForm::setModalResult(ModalResult result) {
    if (result == m_modalResult)
        return;
    m_modalResult = result;
    emit modalResultChanged(result);
}

bool ModalForm::closeQuery() {
    return true;
}

void ModalForm::done(int code) {
    setModalResult(code == QDialog::Accepted ? mrOk : mrCancel);
}

void ModalForm::reject() {
    const QList<ModalButton*> buttons = findChildren<ModalButton*>();
    for (ModalButton* button : buttons) {
        if (button->isCancel() && button->isVisible() && button->isEnabled()) {
            button->click();
            return;
        }
    }
}

void ModalForm::closeEvent(QCloseEvent* event) {
    if (!m_shownModally) {
        event->accept();
        return;
    }
    setModalResult(mrCancel);
    // While the application quits it closes every window first and gives up if one refuses;
    // the modal loop ends with Cancel either way.
    if (QuitMonitor::terminated())
        event->accept();
    else
        event->ignore();
}

void ModalForm::hideEvent(QHideEvent* event) {
    // Hidden by someone else while the loop runs: nobody could answer it any more, and the
    // other windows would stay disabled.
    if (m_shownModally && !event->spontaneous() && m_modalResult == mrNone)
        setModalResult(mrCancel);
    QDialog::hideEvent(event);
}
