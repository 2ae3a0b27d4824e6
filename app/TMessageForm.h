#pragma once

#include "app/MessageDialogTypes.h"
#include "app/MessageLayout.h"
#include "app/ModalForm.h"

#include <string>

class ModalButton;

// The message dialog: an icon for its kind, the word-wrapped message and a row of buttons in
// a fixed order, laid out in dialog units of its font; its outer rectangle, frame included, is
// centred on the primary screen. Its parts are named "Image", "Message" and after their
// buttons ("Yes" ... "Help").
class TMessageForm : public ModalForm {
    Q_OBJECT
    Q_PROPERTY(int HelpContext READ helpContext WRITE setHelpContext)

public:
    TMessageForm(const std::string& text, MessageKind kind, MessageButtons buttons, int helpContext,
                 QWidget* parent = nullptr);

    int helpContext() const { return m_helpContext; }
    void setHelpContext(int helpContext) { m_helpContext = helpContext; }

    const MessageLayout& messageLayout() const { return m_layout; }

    // The buttons as they stand, left to right.
    const QList<ModalButton*>& buttons() const { return m_buttons; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    static QRect primaryScreenGeometry();
    void centreIn(const QMargins& frame);
    void requestHelp();

    int m_helpContext = 0;
    MessageLayout m_layout;
    QList<ModalButton*> m_buttons;
};
