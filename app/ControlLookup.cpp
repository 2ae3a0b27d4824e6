#include "app/ControlLookup.h"

#include "platform/text/DisplayText.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QWidget>

namespace {

// The direct child of parent that lies on top at the point (in parent's coordinates).
QWidget* childOnTopAt(const QWidget* parent, const QPoint& point) {
    const QObjectList& children = parent->children();
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        if (!(*it)->isWidgetType())
            continue;
        auto* child = static_cast<QWidget*>(*it);
        if (child->isWindow() || !child->isVisible() ||
            child->testAttribute(Qt::WA_TransparentForMouseEvents))
            continue;
        const QPoint inChild = point - child->pos();
        if (child->rect().contains(inChild) &&
            (child->mask().isEmpty() || child->mask().contains(inChild)))
            return child;
    }
    return nullptr;
}

} // namespace

QWidget* controllookup::controlAt(const QPoint& globalPosition) {
    QWidget* found = QApplication::topLevelAt(globalPosition);
    if (!found)
        return nullptr;
    for (;;) {
        QWidget* child = childOnTopAt(found, found->mapFromGlobal(globalPosition));
        if (!child)
            return found;
        if (qobject_cast<QLabel*>(child))
            return child;
        if (!child->isEnabled())
            return found;
        found = child;
    }
}

std::string controllookup::effectiveHint(const QWidget* control) {
    for (const QWidget* widget = control; widget; widget = widget->parentWidget()) {
        const QString hint = widget->property("Hint").toString();
        if (!hint.isEmpty())
            return platform::typedText(hint);
        if (widget->isWindow())
            break;
    }
    return {};
}

int controllookup::effectiveHelpContext(const QWidget* control) {
    for (const QWidget* widget = control; widget; widget = widget->parentWidget()) {
        if (const int context = widget->property("HelpContext").toInt())
            return context;
        // A drop-down list is a window of its own, yet part of the control that opened it.
        if (widget->isWindow() && widget->windowType() != Qt::Popup)
            break;
    }
    return 0;
}

int controllookup::menuItemHelpContext(const QWidget* menuWidget, const QAction* item) {
    if (const int context = item->property("HelpContext").toInt())
        return context;
    for (const QWidget* widget = menuWidget; widget; widget = widget->parentWidget()) {
        const auto* menu = qobject_cast<const QMenu*>(widget);
        if (!menu)
            break;
        if (const int context = menu->menuAction()->property("HelpContext").toInt())
            return context;
    }
    return 0;
}
