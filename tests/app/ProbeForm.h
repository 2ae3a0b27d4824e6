#pragma once

#include "app/TModalButton.h"
#include "app/TModalForm.h"

#include <functional>

// A modal window with buttons for the results the tests need and a close step they script.
class ProbeForm : public TModalForm {
public:
    explicit ProbeForm(QWidget* parent = nullptr)
        : TModalForm(parent)
        , ok(new TModalButton(QStringLiteral("OK"), mrOk, this))
        , all(new TModalButton(QStringLiteral("&All"), mrAll, this))
        , abort(new TModalButton(QStringLiteral("&Abort"), mrAbort, this))
        , plain(new TModalButton(QStringLiteral("Plain"), mrNone, this)) {
        abort->setCancel(true);
        ok->move(0, 0);
        all->move(0, 30);
        abort->move(0, 60);
        plain->move(0, 90);
        resize(200, 130);
    }

    bool closeQuery() override {
        ++closeQueries;
        return closeStep ? closeStep() : true;
    }

    TModalButton* ok;
    TModalButton* all;
    TModalButton* abort;
    TModalButton* plain;
    std::function<bool()> closeStep;
    int closeQueries = 0;
};
