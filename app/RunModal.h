#pragma once

#include "app/ModalResult.h"

class ModalForm;

// Shows the window modally in a nested event loop and returns its result once it has one.
// Meanwhile the other windows take no input but keep their look, and the application cursor
// is the default arrow; afterwards the cursor is put back, the window that was active is
// again, and the focus returns to the control that had it. A close request gives mrCancel,
// and so does the application's quit request (QuitMonitor). The window is hidden, not
// destroyed, when this returns. Throws std::invalid_argument for no window and
// std::logic_error for a window that is already visible.
ModalResult RunModal(ModalForm* window);
