#pragma once

#include <functional>

class QEvent;

// When the selectors make their window, as the target platform makes a control's: when the
// control is first shown (unless its items were used before, which made it), and anew when
// its font changes, after the item height is computed again. A failure goes to the
// application's error handler.
void createWhenShown(bool created, const std::function<void()>& create);
void recreateOnFontChange(const QEvent* event, bool created,
                          const std::function<void()>& resetItemHeight,
                          const std::function<void()>& create);
