#pragma once

#include "app/ModalResult.h"

class TModalForm;

// Shows the window modally in a nested event loop and returns its result once it has one.
// Meanwhile every other visible, enabled top-level window is disabled and the application
// cursor is the default arrow; both are put back afterwards. A close request gives mrCancel,
// and so does the application's quit request (QuitMonitor). The window is hidden, not
// destroyed, when this returns. Throws std::invalid_argument for no window and
// std::logic_error for a window that is already visible.
TModalResult RunModal(TModalForm* window);
