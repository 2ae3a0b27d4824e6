#include "app/TMessageForm.h"

#include "app/ApplicationTitle.h"
#include "app/HelpRequest.h"
#include "app/ModalButton.h"
#include "guard/ErrorGuard.h"
#include "platform/text/DisplayText.h"
#include "settings/WindowFrame.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QStyle>

#include <array>

namespace {

// A message dialog is an alert to assistive technology, which then reads its text at once.
QAccessibleInterface* accessibleAlert(const QString& className, QObject* object) {
    if (className == QLatin1String("TMessageForm") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
    return nullptr;
}

struct ButtonEntry {
    MessageButton button;
    const char* name;
    const char* caption;
    ModalResult result;
};

constexpr std::array<ButtonEntry, MessageButtonCount> s_buttonEntries{{
    {MessageButton::Yes, "Yes", "&Yes", mrYes},
    {MessageButton::No, "No", "&No", mrNo},
    {MessageButton::OK, "OK", "OK", mrOk},
    {MessageButton::Cancel, "Cancel", "Cancel", mrCancel},
    {MessageButton::Abort, "Abort", "&Abort", mrAbort},
    {MessageButton::Retry, "Retry", "&Retry", mrRetry},
    {MessageButton::Ignore, "Ignore", "&Ignore", mrIgnore},
    {MessageButton::All, "All", "&All", mrAll},
    {MessageButton::Help, "Help", "&Help", mrNone},
}};

QString captionFor(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return QStringLiteral("Warning");
    case MessageKind::Error:
        return QStringLiteral("Error");
    case MessageKind::Information:
        return QStringLiteral("Information");
    case MessageKind::Confirmation:
        return QStringLiteral("Confirm");
    case MessageKind::Custom:
        break;
    }
    return applicationTitle();
}

bool iconFor(MessageKind kind, QStyle::StandardPixmap& icon) {
    switch (kind) {
    case MessageKind::Warning:
        icon = QStyle::SP_MessageBoxWarning;
        return true;
    case MessageKind::Error:
        icon = QStyle::SP_MessageBoxCritical;
        return true;
    case MessageKind::Information:
        icon = QStyle::SP_MessageBoxInformation;
        return true;
    case MessageKind::Confirmation:
        icon = QStyle::SP_MessageBoxQuestion;
        return true;
    case MessageKind::Custom:
        break;
    }
    return false;
}

// Enter presses OK, else Yes, else Retry; Escape presses Cancel, else No, else OK.
constexpr std::array<MessageButton, 3> s_defaultPreference{MessageButton::OK, MessageButton::Yes,
                                                           MessageButton::Retry};
constexpr std::array<MessageButton, 3> s_cancelPreference{MessageButton::Cancel, MessageButton::No,
                                                          MessageButton::OK};
} // namespace

TMessageForm::TMessageForm(const std::string& text, MessageKind kind, MessageButtons buttons,
                           int helpContext, QWidget* parent)
    : ModalForm(parent)
    , m_helpContext(helpContext) {
    static const bool announced = [] {
        QAccessible::installFactory(&accessibleAlert);
        return true;
    }();
    Q_UNUSED(announced);
    setObjectName(QStringLiteral("MessageForm"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(captionFor(kind));
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    QStyle::StandardPixmap iconKind{};
    const bool hasIcon = iconFor(kind, iconKind);
    const QString message = platform::displayText(text);
    setAccessibleDescription(message);
    const QRect screenGeometry = primaryScreenGeometry();
    m_layout = computeMessageLayout(fontMetrics(), screenGeometry.size(), message, hasIcon,
                                    buttons.count());

    if (hasIcon) {
        auto* image = new QLabel(this);
        image->setObjectName(QStringLiteral("Image"));
        image->setGeometry(m_layout.iconRect);
        const QIcon icon = style()->standardIcon(iconKind, nullptr, this);
        image->setPixmap(icon.pixmap(m_layout.iconRect.size(), devicePixelRatioF()));
    }

    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("Message"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(message);
    label->setGeometry(m_layout.textRect);

    for (const ButtonEntry& entry : s_buttonEntries) {
        if (!buttons.contains(entry.button))
            continue;
        auto* button = new ModalButton(QString::fromLatin1(entry.caption), entry.result, this);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setGeometry(m_layout.buttonRects.at(m_buttons.size()));
        if (entry.button == MessageButton::Help)
            connect(button, &QAbstractButton::clicked, this, &TMessageForm::requestHelp);
        m_buttons.append(button);
    }

    const auto buttonFor = [&](MessageButton wanted) -> ModalButton* {
        const ButtonEntry& entry = s_buttonEntries.at(static_cast<std::size_t>(wanted));
        return findChild<ModalButton*>(QString::fromLatin1(entry.name), Qt::FindDirectChildrenOnly);
    };
    for (MessageButton candidate : s_defaultPreference) {
        if (ModalButton* button = buttonFor(candidate)) {
            button->setDefault(true);
            button->setFocus();
            break;
        }
    }
    for (MessageButton candidate : s_cancelPreference) {
        if (ModalButton* button = buttonFor(candidate)) {
            button->setCancel(true);
            break;
        }
    }

    setFixedSize(m_layout.clientSize);
    centreIn(QMargins());
    connect(new WindowFrame(this), &WindowFrame::changed, this, &TMessageForm::centreIn);
}

QRect TMessageForm::primaryScreenGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 640, 480);
}

// The outer rectangle is centred; the frame may become known only as the window is shown.
void TMessageForm::centreIn(const QMargins& frame) {
    move(centredWindowPosition(primaryScreenGeometry(), m_layout.clientSize.grownBy(frame)));
}

// Besides Alt+letter, the bare letter presses the button it marks, as in other desktop
// dialogs. A letter that marks several buttons moves the focus among them instead.
void TMessageForm::keyPressEvent(QKeyEvent* event) {
    if (!(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
        const QKeySequence pressed(QKeyCombination(Qt::AltModifier, Qt::Key(event->key())));
        QList<ModalButton*> marked;
        for (ModalButton* button : std::as_const(m_buttons)) {
            if (button->isVisible() && button->isEnabled() &&
                QKeySequence::mnemonic(button->text()) == pressed)
                marked.append(button);
        }
        if (marked.size() == 1) {
            marked.front()->animateClick();
            return;
        }
        if (!marked.isEmpty()) {
            const qsizetype focused = marked.indexOf(focusWidget());
            marked.at((focused + 1) % marked.size())->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
    ModalForm::keyPressEvent(event);
}

void TMessageForm::requestHelp() {
    runGuarded([this] { RequestHelp(HELP_CONTEXT, static_cast<quint32>(m_helpContext)); });
}
