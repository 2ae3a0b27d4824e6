#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

// Acts on a modal window from inside its own event loop: a test queues the action first, then
// calls the code that opens the window and blocks until it closes.
namespace modaldriver {

// Runs action in a later event-loop pass once condition holds. Gives up silently after many
// passes, so an action whose moment never comes cannot fire in a later test.
void when(std::function<bool()> condition, std::function<void()> action);

// Runs action once a modal window other than `outer` is the active modal widget.
void whenModal(std::function<void(QWidget* window)> action, QWidget* outer = nullptr);

// True once the modal window has a result; its loop has not necessarily seen it yet.
bool isAnswered(QWidget* window);

// Ends a window that an action left open, so a failing test reports instead of hanging: with
// a close request and, should that not do it, with Cancel set directly.
void ensureAnswered(QWidget* window);

// Acts on a window as the user would: "Enter", "Escape", "close" (the title bar's close
// button), or a click on the button of that object name.
void act(QWidget* window, const QString& how);

// act, then ensureAnswered.
void answer(QWidget* window, const QString& how);

// A key press as the user makes it: to the window's focus widget, else to the window.
void pressKey(QWidget* window, Qt::Key key);

// The request the title bar's close button, Alt+F4 and the window menu make.
void requestClose(QWidget* window);

} // namespace modaldriver
