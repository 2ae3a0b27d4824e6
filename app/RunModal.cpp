#include "app/RunModal.h"

#include "app/ApplicationCursor.h"
#include "app/ErrorGuard.h"
#include "app/MouseCapture.h"
#include "app/QuitMonitor.h"
#include "app/TModalForm.h"

#include <QApplication>
#include <QEventLoop>
#include <QList>
#include <QPointer>

#include <stdexcept>

TModalResult RunModal(TModalForm* window) {
    if (!window)
        throw std::invalid_argument("RunModal needs a window");
    if (window->isVisible() || window->m_shownModally)
        throw std::logic_error("Cannot make a visible window modal");

    EndMouseCapture();

    QPointer<TModalForm> form(window);
    const Qt::WindowModality previousModality = window->windowModality();
    window->setWindowModality(Qt::ApplicationModal);
    window->m_shownModally = true;
    const QPointer<QWidget> previouslyActive = QApplication::activeWindow();
    const Qt::CursorShape previousCursor = ApplicationCursor::shape();
    ApplicationCursor::setShape(Qt::ArrowCursor);

    QList<QPointer<QWidget>> disabled;
    const QList<QWidget*> topLevels = QApplication::topLevelWidgets();
    for (QWidget* other : topLevels) {
        if (other != window && other->isVisible() && other->isEnabled()) {
            other->setEnabled(false);
            disabled.append(other);
        }
    }
    // Disabling a window also disables the windows it owns, the modal one among them.
    if (!window->isEnabled() && !window->testAttribute(Qt::WA_ForceDisabled))
        window->setEnabled(true);

    bool wasActive = false;
    const auto restore = [&] {
        if (form) {
            wasActive = QApplication::activeWindow() == form;
            form->hide();
            form->setWindowModality(previousModality);
        }
        ApplicationCursor::setShape(previousCursor);
        for (const QPointer<QWidget>& other : disabled) {
            if (other)
                other->setEnabled(true);
        }
        if (wasActive && previouslyActive && previouslyActive->isVisible())
            previouslyActive->activateWindow();
        if (form)
            form->m_shownModally = false;
    };

    TModalResult result = mrNone;
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
        QObject::connect(window, &TModalForm::modalResultChanged, &loop, [&](int changed) {
            if (changed != mrNone)
                wake();
        });
        QObject::connect(window, &QObject::destroyed, &loop, wake);
        if (QuitMonitor* monitor = QuitMonitor::instance())
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
                RunGuarded([&] {
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
