#include "app/RunModal.h"

#include "app/Application.h"
#include "app/ApplicationCursor.h"
#include "app/ModalForm.h"
#include "app/QuitMonitor.h"
#include "guard/ErrorGuard.h"
#include "guard/MouseCapture.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWindow>

#include <stdexcept>

namespace {

// A window without an owner belongs to the one it interrupts, else to the main window: the
// window system keeps it above that window, and where programs cannot place windows (Wayland)
// the compositor centres it there. Returns the transient parent it had, to be put back.
QPointer<QWindow> makeTransient(QWidget* window, QWidget* interrupted) {
    window->winId();
    QWindow* handle = window->windowHandle();
    if (!handle || handle->transientParent() || window->parentWidget())
        return handle ? handle->transientParent() : nullptr;
    QWidget* owner = interrupted;
    if (!owner)
        if (const Application* application = Application::instance())
            owner = application->mainForm();
    if (owner && owner != window && owner->isVisible())
        handle->setTransientParent(owner->window()->windowHandle());
    return nullptr;
}

} // namespace

ModalResult RunModal(ModalForm* window) {
    if (!window)
        throw std::invalid_argument("RunModal needs a window");
    if (window->isVisible() || window->m_shownModally)
        throw std::logic_error("Cannot make a visible window modal");

    endMouseCapture();

    QPointer<ModalForm> form(window);
    const Qt::WindowModality previousModality = window->windowModality();
    window->setWindowModality(Qt::ApplicationModal);
    window->m_shownModally = true;
    const QPointer<QWidget> previouslyActive = QApplication::activeWindow();
    const QPointer<QWindow> previousTransientParent = makeTransient(window, previouslyActive);
    const Qt::CursorShape previousCursor = ApplicationCursor::shape();
    ApplicationCursor::setShape(Qt::ArrowCursor);

    // Application modality keeps input away from the other windows. Disabling them as well
    // would grey their controls and drop their focus widgets, and the focus would land on the
    // first control afterwards instead of the one that had it.
    const QPointer<QWidget> previousFocus = QApplication::focusWidget();

    bool wasActive = false;
    const auto restore = [&] {
        if (form) {
            wasActive = QApplication::activeWindow() == form;
            form->hide();
            form->setWindowModality(previousModality);
            if (QWindow* handle = form->windowHandle())
                handle->setTransientParent(previousTransientParent);
        }
        ApplicationCursor::setShape(previousCursor);
        if (wasActive && previouslyActive && previouslyActive->isVisible())
            previouslyActive->activateWindow();
        if (previousFocus && previousFocus->isVisible() && previousFocus->isEnabled() &&
            previousFocus->window() == previouslyActive)
            previousFocus->setFocus(Qt::ActiveWindowFocusReason);
        if (form)
            form->m_shownModally = false;
    };

    ModalResult result = mrNone;
    try {
        window->setModalResult(mrNone);
        window->show();
        window->activateWindow();

        QEventLoop loop;
        bool wokenByUs = false;
        const auto wake = [&] {
            wokenByUs = true;
            loop.quit();
        };
        QObject::connect(window, &ModalForm::modalResultChanged, &loop, [&](int changed) {
            if (changed != mrNone)
                wake();
        });
        QObject::connect(window, &QObject::destroyed, &loop, wake);
        if (QuitMonitor* monitor = QuitMonitor::current())
            QObject::connect(monitor, &QuitMonitor::quitRequested, &loop, wake);

        for (;;) {
            if (!form || QuitMonitor::terminated()) {
                result = mrCancel;
                if (form)
                    form->setModalResult(mrCancel);
                break;
            }
            if (form->modalResult() != mrNone) {
                // A close step that fails counts as finished: the window still closes, so a
                // faulty handler cannot lock the user out of the whole program.
                runGuarded([&] {
                    if (!form->closeQuery())
                        form->setModalResult(mrNone);
                });
                if (form && form->modalResult() != mrNone) {
                    result = form->modalResult();
                    break;
                }
                continue;
            }
            wokenByUs = false;
            loop.exec();
            // Only QCoreApplication::exit() ends every running loop at once.
            if (!wokenByUs)
                QuitMonitor::markTerminated();
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return result;
}
