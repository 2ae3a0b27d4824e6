#include "app/Application.h"

#include "app/ApplicationTitle.h"
#include "app/ControlLookup.h"
#include "app/HelpRequest.h"
#include "app/QuitMonitor.h"
#include "guard/ErrorGuard.h"
#include "platform/drives/HostPaths.h"
#include "platform/drives/Paths.h"
#include "platform/shell/Shell.h"
#include "platform/shell/TerminationSignals.h"
#include "platform/text/DisplayText.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCursor>
#include <QFile>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSessionManager>
#include <QTimer>
#include <QWhatsThis>

namespace {

bool isMenuWidget(const QObject* object) {
    return qobject_cast<const QMenu*>(object) || qobject_cast<const QMenuBar*>(object);
}

// The window a menu or menu bar belongs to.
const QWidget* menuOwnerWindow(const QWidget* menu) {
    const QWidget* widget = menu;
    while (widget && isMenuWidget(widget))
        widget = widget->parentWidget();
    return widget ? widget->window() : menu->window();
}

} // namespace

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv) {
    // The main window posts the quit request itself when it is closed.
    setQuitOnLastWindowClosed(false);
    installEventFilter(this);
    QuitMonitor::current();

    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &Application::idle);

    HelpRequestHandler::install([this](quint16 command, quint32 data) {
        if (m_helpFile.empty())
            return false;
        return platform::Shell::current().winHelp(m_helpFile, command, data);
    });

    m_terminationSignals = new TerminationSignals(this);
    connect(m_terminationSignals, &TerminationSignals::received, this, &Application::endSession);
    // The session manager asks whether we object to the session ending: we do not, and the
    // settings are saved at once, since nothing guarantees another event after this one.
    connect(this, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { endSession(); });
}

Application::~Application() {
    HelpRequestHandler::install({});
}

Application* Application::instance() {
    return qobject_cast<Application*>(QCoreApplication::instance());
}

std::string Application::title() const {
    return platform::typedText(applicationTitle());
}

void Application::setTitle(const std::string& title) {
    setApplicationTitle(platform::displayText(title));
}

std::string Application::helpFileBesideExecutable() {
    std::string executable;
    if (platform::toDrivePath(platform::host::executablePath(), executable) != 0)
        executable.clear();
    const auto end = executable.find_last_of("\\:");
    const std::string folder =
        end == std::string::npos ? std::string() : executable.substr(0, end + 1);
    return folder + "Pictavo.hlp";
}

void Application::setMainForm(QWidget* form) {
    if (m_mainForm)
        m_mainForm->removeEventFilter(this);
    m_mainForm = form;
    if (m_mainForm)
        m_mainForm->installEventFilter(this);
}

void Application::SetApplicationHint(const std::string& hint) {
    if (hint == m_hint)
        return;
    m_hint = hint;
    if (m_onHint)
        runGuarded(m_onHint);
}

int Application::Run() {
    if (m_mainForm && !QuitMonitor::terminated()) {
        m_mainForm->show();
        exec();
    }
    if (m_mainForm) {
        m_mainForm->hide();
        delete m_mainForm.data();
    }
    return 0;
}

void Application::postQuitRequest() {
    if (QCoreApplication* application = QCoreApplication::instance())
        QCoreApplication::postEvent(application, new QEvent(QEvent::Quit));
}

void Application::endSession() {
    QuitMonitor::markTerminated();
    QCoreApplication::exit(0);
}

void Application::idle() {
    // While a menu or a drop-down list is open, the highlighted item's hint is in force.
    if (activePopupWidget())
        return;
    runGuarded([this] {
        SetApplicationHint(
            longHint(controllookup::effectiveHint(controllookup::controlAt(QCursor::pos()))));
    });
}

void Application::watchMenuHints(QMenuBar* menuBar) {
    const auto showItemHint = [this](QAction* action) {
        SetApplicationHint(longHint(platform::typedText(action->property("Hint").toString())));
    };
    connect(menuBar, &QMenuBar::hovered, this, showItemHint);
    const QList<QMenu*> menus = menuBar->findChildren<QMenu*>();
    for (QMenu* menu : menus) {
        connect(menu, &QMenu::hovered, this, showItemHint);
        connect(menu, &QMenu::aboutToHide, this, [this] { SetApplicationHint({}); });
    }
}

std::string Application::longHint(const std::string& hint) {
    const auto bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

void Application::requestContextHelp(const QWidget* window, int helpContext) {
    const bool popUp = window && window->windowFlags().testFlag(Qt::WindowContextHelpButtonHint);
    RequestHelp(popUp ? HELP_CONTEXTPOPUP : HELP_CONTEXT, static_cast<quint32>(helpContext));
}

bool Application::helpForKey(QObject* receiver) {
    if (isMenuWidget(receiver)) {
        auto* menuWidget = static_cast<QWidget*>(receiver);
        const QAction* item = nullptr;
        if (auto* menu = qobject_cast<QMenu*>(menuWidget))
            item = menu->activeAction();
        else
            item = static_cast<QMenuBar*>(menuWidget)->activeAction();
        if (!item)
            return false;
        requestContextHelp(menuOwnerWindow(menuWidget),
                           controllookup::menuItemHelpContext(menuWidget, item));
        return true;
    }
    const QWidget* control = receiver->isWidgetType() ? static_cast<QWidget*>(receiver) : nullptr;
    if (!control)
        return false;
    if (const int context = controllookup::effectiveHelpContext(control))
        requestContextHelp(control->window(), context);
    return true;
}

bool Application::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Close:
        // The window stays on screen until the loop takes the request; nothing is saved yet.
        if (watched == m_mainForm && !QuitMonitor::terminated()) {
            event->ignore();
            postQuitRequest();
            return true;
        }
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1)
            break;
        if (key->modifiers() == Qt::ShiftModifier) {
            if (!QWhatsThis::inWhatsThisMode())
                QWhatsThis::enterWhatsThisMode();
            return true;
        }
        if (key->modifiers() == Qt::NoModifier) {
            bool handled = false;
            runGuarded([&] { handled = helpForKey(watched); });
            return handled;
        }
        break;
    }
    case QEvent::QueryWhatsThis:
        // Every place may be clicked; what is there decides whether help comes.
        event->accept();
        return true;
    case QEvent::WhatsThis: {
        const auto* help = static_cast<QHelpEvent*>(event);
        runGuarded([&] {
            const QWidget* control = controllookup::controlAt(help->globalPos());
            if (const int context = controllookup::effectiveHelpContext(control))
                requestContextHelp(control->window(), context);
        });
        // Taken here, so it travels no further out; the mode ends once the click is over.
        event->accept();
        QTimer::singleShot(0, this, [] { QWhatsThis::leaveWhatsThisMode(); });
        return true;
    }
    default:
        break;
    }
    return QApplication::eventFilter(watched, event);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        handleError(std::current_exception());
        return false;
    }
}
