#include "tests/app/ModalDriver.h"

#include "app/ModalForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <QtTest>

namespace modaldriver {
namespace {
void poll(std::function<bool()> condition, std::function<void()> action, int passesLeft) {
    QTimer::singleShot(0, qApp,
                       [condition = std::move(condition), action = std::move(action), passesLeft] {
                           if (condition())
                               action();
                           else if (passesLeft > 0)
                               poll(condition, action, passesLeft - 1);
                       });
}
} // namespace

void when(std::function<bool()> condition, std::function<void()> action) {
    poll(std::move(condition), std::move(action), 100000);
}

void whenModal(std::function<void(QWidget*)> action, QWidget* outer) {
    const QPointer<QWidget> skipped(outer);
    const auto modal = [skipped] {
        QWidget* window = QApplication::activeModalWidget();
        return window && window != skipped.data() && window->isVisible() ? window : nullptr;
    };
    when([modal] { return modal() != nullptr; }, [modal, action] { action(modal()); });
}

bool isAnswered(QWidget* window) {
    const auto* form = qobject_cast<ModalForm*>(window);
    return !form || form->modalResult() != mrNone;
}

void ensureAnswered(QWidget* window) {
    if (isAnswered(window))
        return;
    requestClose(window);
    if (auto* form = qobject_cast<ModalForm*>(window); form && !isAnswered(form))
        form->setModalResult(mrCancel);
}

void act(QWidget* window, const QString& how) {
    if (how == QLatin1String("Enter"))
        pressKey(window, Qt::Key_Return);
    else if (how == QLatin1String("Escape"))
        pressKey(window, Qt::Key_Escape);
    else if (how == QLatin1String("close"))
        requestClose(window);
    else if (auto* button = window->findChild<QAbstractButton*>(how))
        button->click();
}

void answer(QWidget* window, const QString& how) {
    act(window, how);
    ensureAnswered(window);
}

void pressKey(QWidget* window, Qt::Key key) {
    QWidget* target = window->focusWidget();
    QTest::keyClick(target ? target : window, key);
}

void requestClose(QWidget* window) {
    window->windowHandle()->close();
}

} // namespace modaldriver
