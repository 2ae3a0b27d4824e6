#pragma once

#include "app/MessageDialogTypes.h"
#include "app/ModalResult.h"

#include <string>

// Shows the modal message dialog (TMessageForm) and returns how it ended: the pressed
// button's result, or mrCancel when it was closed or the application quit.
ModalResult ShowMessageDialog(const std::string& text, MessageKind kind, MessageButtons buttons,
                              int helpContext);
