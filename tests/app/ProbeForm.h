#pragma once

#include "app/ModalButton.h"
#include "app/ModalForm.h"

#include <functional>

// A modal window with a button that gives OK, a cancel button that gives Abort, one without a
// result, and a close step the tests script.
class ProbeForm : public ModalForm {
public:
    explicit ProbeForm(QWidget* parent = nullptr)
        : ModalForm(parent) {
        abort->setCancel(true);
        resize(200, 100);
    }

    bool closeQuery() override {
        ++closeQueries;
        return closeStep ? closeStep() : true;
    }

    ModalButton* ok = button("OK", mrOk);
    ModalButton* abort = button("Abort", mrAbort);
    ModalButton* plain = button("Plain", mrNone);
    std::function<bool()> closeStep;
    int closeQueries = 0;

private:
    ModalButton* button(const char* name, ModalResult result) {
        auto* made = new ModalButton(QString::fromLatin1(name), result, this);
        made->setObjectName(made->text());
        made->move(0, 30 * int(findChildren<ModalButton*>().size() - 1));
        return made;
    }
};
