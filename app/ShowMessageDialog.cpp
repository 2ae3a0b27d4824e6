#include "app/ShowMessageDialog.h"

#include "app/RunModal.h"
#include "app/TMessageForm.h"

ModalResult ShowMessageDialog(const std::string& text, MessageKind kind, MessageButtons buttons,
                              int helpContext) {
    TMessageForm form(text, kind, buttons, helpContext);
    return RunModal(&form);
}
