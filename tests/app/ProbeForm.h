#pragma once

#include "app/TModalButton.h"
#include "app/TModalForm.h"

#include <functional>

// A modal window with a button that gives OK, a cancel button that gives Abort, one without a
// result, and a close step the tests script.
class ProbeForm : public TModalForm {
public:
    explicit ProbeForm(QWidget* parent = nullptr)
        : TModalForm(parent) {
        abort->setCancel(true);
        resize(200, 100);
    }

    bool closeQuery() override {
        ++closeQueries;
        return closeStep ? closeStep() : true;
    }

    TModalButton* ok = button("OK", mrOk);
    TModalButton* abort = button("Abort", mrAbort);
    TModalButton* plain = button("Plain", mrNone);
    std::function<bool()> closeStep;
    int closeQueries = 0;

private:
    TModalButton* button(const char* name, TModalResult result) {
        auto* made = new TModalButton(QString::fromLatin1(name), result, this);
        made->setObjectName(made->text());
        made->move(0, 30 * int(findChildren<TModalButton*>().size() - 1));
        return made;
    }
};
