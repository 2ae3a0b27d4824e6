#pragma once

#include "app/ModalResult.h"

#include <QDialog>

class QCloseEvent;
class QHideEvent;

// A window that RunModal shows: it carries the result that ends its modal loop, turns a close
// request into Cancel, and lets Escape press its cancel button (see ModalButton).
class ModalForm : public QDialog {
    Q_OBJECT
    Q_PROPERTY(int ModalResult READ modalResult WRITE setModalResult NOTIFY modalResultChanged)

public:
    explicit ModalForm(QWidget* parent = nullptr);

    ModalResult modalResult() const { return m_modalResult; }
    void setModalResult(ModalResult result);

    // True while RunModal shows the window.
    bool isShownModally() const { return m_shownModally; }

    // The close step, asked each time the result is set while the window is shown modally;
    // false keeps it open (the result goes back to mrNone).
    virtual bool closeQuery();

    // accept() ends with mrOk and done(code) with mrOk or mrCancel, so code written for
    // QDialog never hides the window behind the modal loop's back.
    void done(int code) override;

public slots:
    // Escape: presses the visible, enabled cancel button; does nothing without one.
    void reject() override;

signals:
    void modalResultChanged(int result);

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend ModalResult RunModal(ModalForm* window);

    ModalResult m_modalResult = mrNone;
    bool m_shownModally = false;
};
