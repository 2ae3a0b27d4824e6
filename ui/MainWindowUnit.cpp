#include "ui/MainWindowUnit.h"

#include "app/AccessibleHints.h"
#include "app/Application.h"
#include "app/HelpRequest.h"
#include "app/RunModal.h"
#include "guard/ErrorGuard.h"
#include "index/Feedback.h"
#include "index/StartIndexRun.h"
#include "platform/drives/ArgumentFolder.h"
#include "platform/errors/EInOutError.h"
#include "platform/text/DisplayText.h"
#include "settings/TPersWindow.h"
#include "settings/TRegIniFile.h"
#include "ui/AboutWindowUnit.h"
#include "ui/TypingLimit.h"
#include "ui_MainWindowUnit.h"

#include <QKeyEvent>
#include <QScopeGuard>

namespace {

const std::string SettingsBase = "Software\\Zelmar Inc.\\Pictavo\\";
const std::string SettingsSection = "1.0";
constexpr int SizeFieldTypingLimit = 4;

bool isEnterKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           modifiers == Qt::NoModifier;
}

} // namespace

TMainWindow::TMainWindow(const std::vector<std::string>& arguments, QWidget* parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::TMainWindow>())
    , m_arguments(arguments) {
    m_ui->setupUi(this);
    // System menu, close and context help; no minimise or maximise buttons.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint);
    // The designed client area lies below the menu bar.
    resize(520, 262 + m_ui->MainMenu->sizeHint().height());
    move(38, 39);
    const QList<QAction*> fileItems = m_ui->mnuFile->actions();
    const QList<QAction*> helpItems = m_ui->mnuHelp->actions();
    for (QAction* item : fileItems)
        if (item->isSeparator())
            item->setObjectName(QStringLiteral("N2"));
    for (QAction* item : helpItems)
        if (item->isSeparator())
            item->setObjectName(QStringLiteral("N1"));
    m_ui->ediImageHeight->setValidator(new TypingLimit(SizeFieldTypingLimit, m_ui->ediImageHeight));
    m_ui->ediImageWidth->setValidator(new TypingLimit(SizeFieldTypingLimit, m_ui->ediImageWidth));
    m_ui->Directory->setItemHeight(16);
    describeControlsByHints(this);
    m_ui->Directory->installEventFilter(this);
    m_ui->centralWidget->installEventFilter(this);

    m_ui->Drive->OnChange = [this](QObject* sender) { DriveChange(sender); };
    m_ui->Directory->OnChange = [this](QObject* sender) { DirectoryChange(sender); };
    connect(m_ui->chkOriginalImageSize, &QCheckBox::toggled, this,
            [this] { runGuarded([this] { chkOriginalImageSizeClick(); }); });
    connect(m_ui->btnStart, &QPushButton::clicked, this,
            [this] { runGuarded([this] { btnStartClick(); }); });
    const auto menuCommand = [this](QAction* item, void (TMainWindow::*handler)()) {
        connect(item, &QAction::triggered, this,
                [this, handler] { runGuarded([&] { (this->*handler)(); }); });
    };
    menuCommand(m_ui->mnuFile_Start, &TMainWindow::mnuFile_StartClick);
    menuCommand(m_ui->mnuFile_Exit, &TMainWindow::mnuFile_ExitClick);
    menuCommand(m_ui->mnuHelp_Contents, &TMainWindow::mnuHelp_ContentsClick);
    menuCommand(m_ui->mnuHelp_WhatIsThis, &TMainWindow::mnuHelp_WhatIsThisClick);
    menuCommand(m_ui->mnuHelp_About, &TMainWindow::mnuHelp_AboutClick);
    if (Application* application = Application::instance())
        application->watchMenuHints(m_ui->MainMenu);

    m_feedback.setStatusBar(m_ui->StatusBar);
    m_previousFeedback = FeedbackBackend::install(&m_feedback);

    PersWindow1 = new TPersWindow(this);
    PersWindow1->setObjectName(QStringLiteral("PersWindow1"));
    PersWindow1->setRegPath(SettingsBase + SettingsSection);
    PersWindow1->setRgNameHeight("WinHeight");
    PersWindow1->setRgNameLeft("WinLeft");
    PersWindow1->setRgNameTop("WinTop");
    PersWindow1->setRgNameWidth("WinWidth");
    PersWindow1->loaded();

    runGuarded([this] { FormCreate(); });
}

TMainWindow::~TMainWindow() {
    runGuarded([this] { FormDestroy(); });
    if (FeedbackBackend::current() == &m_feedback)
        FeedbackBackend::install(m_previousFeedback);
    if (Application* application = Application::instance())
        application->setOnHint({});
}

void TMainWindow::FormCreate() {
    m_initializing = true;
    if (Application* application = Application::instance()) {
        application->setTitle(platform::typedText(windowTitle()));
        application->setHelpFile(Application::helpFileBesideExecutable());
        application->setOnHint([this, application] {
            m_ui->StatusBar->showMessage(platform::displayText(application->Hint()));
        });
    }
    ErrorHandler::install([](std::exception_ptr) {});

    // A stale or unreadable setting must neither hide the directory the user asked for on the
    // command line nor keep later drive errors silent: its failure ends only these steps.
    runGuarded([this] { loadSettings(); });
    // Later drive errors are the user's to see, whatever the command line's directory does.
    const auto initialized = qScopeGuard([this] { m_initializing = false; });

    if (!m_arguments.empty()) {
        std::string directory;
        if (const int error = platform::toDriveFolder(m_arguments.front(), directory))
            throw EInOutError(error);
        m_ui->Directory->enterFolder(directory);
    }
}

void TMainWindow::loadSettings() {
    TRegIniFile store(SettingsBase);
    m_ui->ediImageHeight->setText(
        platform::displayText(store.ReadText(SettingsSection, "ImageHeight", "")));
    m_ui->ediImageWidth->setText(
        platform::displayText(store.ReadText(SettingsSection, "ImageWidth", "")));
    m_ui->ediFileName->setText(
        platform::displayText(store.ReadText(SettingsSection, "Filename", "index.html")));
    m_ui->chkOriginalImageSize->setChecked(store.ReadFlag(SettingsSection, "KeepSize", true));
    chkOriginalImageSizeClick();
    const std::string startDirectory = store.ReadText(SettingsSection, "CurPath", "");
    if (!startDirectory.empty())
        m_ui->Drive->setDrive(startDirectory.front());
    m_ui->Directory->enterFolder(startDirectory);
}

void TMainWindow::FormDestroy() {
    TRegIniFile store(SettingsBase);
    store.WriteText(SettingsSection, "CurPath", m_ui->Directory->Directory());
    store.WriteText(SettingsSection, "ImageHeight",
                    platform::typedText(m_ui->ediImageHeight->text()));
    store.WriteText(SettingsSection, "ImageWidth",
                    platform::typedText(m_ui->ediImageWidth->text()));
    store.WriteText(SettingsSection, "Filename", platform::typedText(m_ui->ediFileName->text()));
    store.WriteFlag(SettingsSection, "KeepSize", m_ui->chkOriginalImageSize->isChecked());
}

void TMainWindow::DriveChange(QObject* /*sender*/) {
    try {
        m_ui->Directory->setDrive(m_ui->Drive->Drive());
    } catch (...) {
        m_ui->Directory->setVisible(false);
        m_ui->btnStart->setEnabled(false);
        if (!m_initializing)
            ShowErrorMessage("Can't change to this drive. Maybe this drive is empty.");
        return;
    }
    m_ui->Directory->setVisible(true);
    m_ui->btnStart->setEnabled(true);
}

void TMainWindow::DirectoryChange(QObject* /*sender*/) {
    m_ui->Drive->setDrive(m_ui->Directory->Drive());
}

void TMainWindow::chkOriginalImageSizeClick() {
    const bool sizeFields = !m_ui->chkOriginalImageSize->isChecked();
    m_ui->staImageHeight->setEnabled(sizeFields);
    m_ui->ediImageHeight->setEnabled(sizeFields);
    m_ui->staImageWidth->setEnabled(sizeFields);
    m_ui->ediImageWidth->setEnabled(sizeFields);
}

void TMainWindow::btnStartClick() {
    IndexRequest request;
    request.KeepOriginalSize = m_ui->chkOriginalImageSize->isChecked();
    request.HeightText = platform::typedText(m_ui->ediImageHeight->text());
    request.WidthText = platform::typedText(m_ui->ediImageWidth->text());
    request.Directory = m_ui->Directory->Directory();
    request.FileName = platform::typedText(m_ui->ediFileName->text());
    StartIndexRun(request);
}

void TMainWindow::mnuFile_StartClick() {
    btnStartClick();
}

void TMainWindow::mnuFile_ExitClick() {
    close();
}

void TMainWindow::mnuHelp_ContentsClick() {
    RequestHelp(HELP_CONTENTS, 0);
}

void TMainWindow::mnuHelp_WhatIsThisClick() {
    RequestHelp(HELP_CONTEXT, 1000);
}

void TMainWindow::mnuHelp_AboutClick() {
    const std::unique_ptr<TAboutWindow> about = std::make_unique<TAboutWindow>(this);
    RunModal(about.get());
}

void TMainWindow::pressStart() {
    if (m_ui->btnStart->isEnabled() && m_ui->btnStart->isVisible())
        m_ui->btnStart->click();
}

bool TMainWindow::event(QEvent* event) {
    // Hints reach the status bar through the application's hint route only.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->Directory && isEnterKey(event)) {
        pressStart();
        return true;
    }
    if (watched == m_ui->centralWidget && event->type() == QEvent::Resize)
        m_ui->panLine->setGeometry(0, 0, m_ui->centralWidget->width(), 2);
    return QMainWindow::eventFilter(watched, event);
}

void TMainWindow::keyPressEvent(QKeyEvent* event) {
    if (isEnterKey(event)) {
        pressStart();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
