#pragma once

#include <string>

class QAction;
class QPoint;
class QWidget;

// Finds, in the widget tree, the control under the pointer and the hint and help context that
// are in force for a control or a menu item.
namespace controllookup {

// The program's control that the pointer at this screen position is on: disabled controls
// pass it to their container, labels take it even when disabled. nullptr for none.
QWidget* controlAt(const QPoint& globalPosition);
// The first non-empty "Hint" from the control outward to its window.
std::string effectiveHint(const QWidget* control);
// The first non-zero "HelpContext" from the control outward to its window; 0 for none.
int effectiveHelpContext(const QWidget* control);
// The item's "HelpContext", else that of the nearest enclosing menu item with one; 0 for none.
int menuItemHelpContext(const QWidget* menuWidget, const QAction* item);

} // namespace controllookup
