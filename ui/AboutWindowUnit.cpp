#include "ui/AboutWindowUnit.h"

#include "app/MessageLayout.h"
#include "guard/ErrorGuard.h"
#include "settings/WindowFrame.h"
#include "ui_AboutWindowUnit.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

// A resource compiled into a static library is kept only when the program asks for it; the
// macro declares a function and so must stand outside any namespace.
static void loadLogo() {
    Q_INIT_RESOURCE(AboutWindowUnit);
}

TAboutWindow::TAboutWindow(QWidget* parent)
    : ModalForm(parent)
    , m_ui(std::make_unique<Ui::TAboutWindow>()) {
    loadLogo();
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(322, 267);
    // The contact lines read as text on the window, yet can be selected and copied.
    for (QLineEdit* contact : {m_ui->Edit1, m_ui->Edit2, m_ui->ediWebPage}) {
        QPalette colours = contact->palette();
        colours.setColor(QPalette::Base, colours.color(QPalette::Button));
        contact->setPalette(colours);
    }
    centreIn(QMargins());
    connect(new WindowFrame(this), &WindowFrame::changed, this, &TAboutWindow::centreIn);
}

// The outer rectangle is centred; the frame may become known only as the window is shown.
void TAboutWindow::centreIn(const QMargins& frame) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(centredWindowPosition(screen->geometry(), size().grownBy(frame)));
}

TAboutWindow::~TAboutWindow() = default;

void TAboutWindow::showEvent(QShowEvent* event) {
    ModalForm::showEvent(event);
    runGuarded([this] { FormShow(); });
}

void TAboutWindow::changeEvent(QEvent* event) {
    ModalForm::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runGuarded([this] { FormActivate(); });
}

void TAboutWindow::FormShow() {
    m_ui->ediWebPage->setFocus();
}

void TAboutWindow::FormActivate() {
    for (QWidget* label :
         {static_cast<QWidget*>(m_ui->staCompany), static_cast<QWidget*>(m_ui->staCopyright)}) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
}
