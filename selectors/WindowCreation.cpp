#include "selectors/WindowCreation.h"

#include "guard/ErrorGuard.h"

#include <QEvent>

void createWhenShown(bool created, const std::function<void()>& create) {
    if (!created)
        runGuarded(create);
}

void recreateOnFontChange(const QEvent* event, bool created,
                          const std::function<void()>& resetItemHeight,
                          const std::function<void()>& create) {
    if (event->type() != QEvent::FontChange)
        return;
    resetItemHeight();
    if (created)
        runGuarded(create);
}
