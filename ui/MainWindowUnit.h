#pragma once

#include "app/GuiFeedback.h"

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TMainWindow;
}
class TPersWindow;

// The program's working window: drive, directory, size options and output name, the start of
// an index run, the settings it loads at creation and saves at destruction.
class TMainWindow : public QMainWindow {
    Q_OBJECT

public:
    // arguments: the command line after the program name, host paths.
    explicit TMainWindow(const std::vector<std::string>& arguments, QWidget* parent = nullptr);
    // Runs FormDestroy before the controls go, and the placement is saved after them.
    ~TMainWindow() override;

    bool Initializing() const { return m_initializing; }
    TPersWindow* PersWindow() const { return PersWindow1; }

    void FormCreate();
    void FormDestroy();
    void DriveChange(QObject* sender);
    void DirectoryChange(QObject* sender);
    void chkOriginalImageSizeClick();
    void btnStartClick();
    void mnuFile_StartClick();
    void mnuFile_ExitClick();
    void mnuHelp_ContentsClick();
    void mnuHelp_WhatIsThisClick();
    void mnuHelp_AboutClick();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Steps of FormCreate that read the settings and enter the stored directory.
    void loadSettings();
    // Enter, wherever the focus is: the default button, while it can be pressed.
    void pressStart();

    std::unique_ptr<Ui::TMainWindow> m_ui;
    TPersWindow* PersWindow1 = nullptr;
    GuiFeedback m_feedback;
    FeedbackBackend* m_previousFeedback = nullptr;
    std::vector<std::string> m_arguments;
    bool m_initializing = false;
};
