#include "app/TModalForm.h"

#include "app/QuitMonitor.h"
#include "app/TModalButton.h"

#include <QCloseEvent>
#include <QHideEvent>

TModalForm::TModalForm(QWidget* parent)
    : QDialog(parent) {}

void TModalForm::setModalResult(TModalResult result) {
    if (result == m_modalResult)
        return;
    m_modalResult = result;
    emit modalResultChanged(result);
}

bool TModalForm::closeQuery() {
    return true;
}

void TModalForm::done(int code) {
    setModalResult(code == QDialog::Accepted ? mrOk : mrCancel);
}

void TModalForm::reject() {
    const QList<TModalButton*> buttons = findChildren<TModalButton*>();
    for (TModalButton* button : buttons) {
        if (button->isCancel() && button->isVisible() && button->isEnabled()) {
            button->click();
            return;
        }
    }
}

void TModalForm::closeEvent(QCloseEvent* event) {
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

void TModalForm::hideEvent(QHideEvent* event) {
    // Hidden by someone else while the loop runs: nobody could answer it any more, and the
    // other windows would stay disabled.
    if (m_shownModally && !event->spontaneous() && m_modalResult == mrNone)
        setModalResult(mrCancel);
    QDialog::hideEvent(event);
}
