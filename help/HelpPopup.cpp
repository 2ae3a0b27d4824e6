#include "help/HelpPopup.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {
constexpr int TextWidth = 320;
constexpr int PointerGap = 12;
// Another program's menu may hold the pointer and the keyboard for as long as it stays open; a
// window system that grants no grabs at all is not asked forever.
constexpr int TakeInputInterval = 100; // ms
constexpr int TakeInputTries = 3000;

// A screen reader reads the pop-up as a tool tip, its text as the name.
class AccessibleHelpPopup : public QAccessibleWidget {
public:
    explicit AccessibleHelpPopup(HelpPopup* popup)
        : QAccessibleWidget(popup, QAccessible::ToolTip) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name)
            return static_cast<const HelpPopup*>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* accessibleHelpPopup(const QString& className, QObject* object) {
    if (className == QLatin1String("HelpPopup") && object && object->isWidgetType())
        return new AccessibleHelpPopup(static_cast<HelpPopup*>(object));
    return nullptr;
}
} // namespace

HelpPopup::HelpPopup(QWidget* parent)
    // A tool tip, not a pop-up: assistive technology leaves pop-up windows out of the
    // program's tree, so it would never hear the text. The grabs below close it as a pop-up
    // closes.
    : QFrame(parent, Qt::ToolTip | Qt::FramelessWindowHint)
    , m_text(new QLabel(this))
    , m_takeInput(new QTimer(this)) {
    static const bool readable = [] {
        QAccessible::installFactory(&accessibleHelpPopup);
        return true;
    }();
    Q_UNUSED(readable);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    setAutoFillBackground(true);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::RichText);
    m_text->setTextInteractionFlags(Qt::NoTextInteraction);
    m_text->setForegroundRole(QPalette::ToolTipText);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(m_text);
    m_takeInput->setInterval(TakeInputInterval);
    connect(m_takeInput, &QTimer::timeout, this, &HelpPopup::takeInput);
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        leavePlacementToCompositor();
}

void HelpPopup::leavePlacementToCompositor() {
    m_compositorPlaced = true;
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // Such a window system grants no grabs: one try, not minutes of them.
    m_takeInput->setSingleShot(true);
}

void HelpPopup::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (m_compositorPlaced && event->type() == QEvent::ActivationChange && isVisible() &&
        !isActiveWindow())
        close();
}

void HelpPopup::showAt(const QPoint& pointer, const QString& html) {
    // A heading sized for the window would crowd the small pop-up; a label cannot restyle it.
    static const QRegularExpression heading(QStringLiteral("<h[1-3][^>]*>(.*?)</h[1-3]>"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    m_text->setText(QString(html).replace(
        heading, QStringLiteral("<p style=\"margin-bottom: 4px\"><b>\\1</b></p>")));
    // Shown again with other text, it is the same object: a screen reader hears the change.
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    m_text->setFixedWidth(TextWidth);
    adjustSize();

    const QScreen* screen = QGuiApplication::screenAt(pointer);
    const QRect area = (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry();
    QPoint topLeft(pointer.x() - width() / 2, pointer.y() + PointerGap);
    if (topLeft.y() + height() > area.bottom())
        topLeft.setY(pointer.y() - PointerGap - height());
    topLeft.setX(qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() - width())));
    topLeft.setY(qBound(area.top(), topLeft.y(), qMax(area.top(), area.bottom() - height())));
    move(topLeft);
    show();
    raise();
    activateWindow();
}

QString HelpPopup::text() const {
    QTextDocument document;
    document.setHtml(m_text->text());
    return document.toPlainText().trimmed();
}

void HelpPopup::mousePressEvent(QMouseEvent*) {
    close();
}

void HelpPopup::keyPressEvent(QKeyEvent*) {
    close();
}

void HelpPopup::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    // The toolkit grabs once as the pop-up opens, and fails while another program holds the
    // grabs, as the menu whose item the pop-up explains does. The pop-up would then miss every
    // click and key elsewhere and stay until clicked itself.
    m_triesLeft = TakeInputTries;
    m_takeInput->start();
}

void HelpPopup::takeInput() {
    QWindow* handle = windowHandle();
    const bool taken =
        handle && handle->setKeyboardGrabEnabled(true) && handle->setMouseGrabEnabled(true);
    if (taken || --m_triesLeft <= 0)
        m_takeInput->stop();
}

void HelpPopup::hideEvent(QHideEvent* event) {
    m_takeInput->stop();
    QFrame::hideEvent(event);
    emit hidden();
}
