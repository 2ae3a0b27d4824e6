#pragma once

#include "app/ModalForm.h"

#include <memory>

namespace Ui {
class TAboutWindow;
}

// The product window of Help, About: name, version, the maker's contacts and logo. Shown
// modally and closed only through the title bar.
class TAboutWindow : public ModalForm {
    Q_OBJECT

public:
    explicit TAboutWindow(QWidget* parent = nullptr);
    ~TAboutWindow() override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void centreIn(const QMargins& frame);
    void FormShow();
    void FormActivate();

    std::unique_ptr<Ui::TAboutWindow> m_ui;
};
