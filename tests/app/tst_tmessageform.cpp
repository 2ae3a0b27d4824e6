#include "app/ApplicationTitle.h"
#include "app/HelpRequest.h"
#include "app/ModalButton.h"
#include "app/RunModal.h"
#include "app/ShowMessageDialog.h"
#include "app/TMessageForm.h"
#include "tests/app/ModalDriver.h"
#include "tests/support/Artifacts.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>

#include <algorithm>

using namespace modaldriver;

Q_DECLARE_METATYPE(MessageKind)
Q_DECLARE_METATYPE(MessageButtons)

namespace {
const char* const s_errorText =
    "Unexpected Error while writing HTML-file! Maybe the disc is full or write-protected.";
const char* const s_confirmationText = "File succesfully created. Would you like to view it now?";

QStringList namesLeftToRight(const QWidget& form) {
    QList<ModalButton*> buttons = form.findChildren<ModalButton*>();
    std::sort(buttons.begin(), buttons.end(),
              [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    QStringList names;
    for (const ModalButton* button : buttons)
        names << button->objectName() + QLatin1Char('=') + button->text();
    return names;
}

// Pixels of a measure in dialog units, rounded to the nearest pixel.
int pixels(int units, int baseUnit, int divisor) {
    return qRound(double(units) * baseUnit / divisor);
}
} // namespace

// The message dialog: how each way of answering ends it, its buttons, keys, help button,
// captions, icons and the layout in dialog units.
class TestTMessageForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void answers_data();
    void answers();
    void buttonOrder();
    void defaultAndCancel_data();
    void defaultAndCancel();
    void helpButtonKeepsDialogOpen();
    void kinds_data();
    void kinds();
    void layout_data();
    void layout();
};

void TestTMessageForm::initTestCase() {
    setApplicationTitle(QStringLiteral("Zelmar Pictavo"));
}

void TestTMessageForm::cleanup() {
    HelpRequestHandler::install({});
}

void TestTMessageForm::answers_data() {
    QTest::addColumn<MessageKind>("kind");
    QTest::addColumn<MessageButtons>("buttons");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("expected");
    const MessageButtons ok{MessageButton::OK};
    const MessageButtons yesNo{MessageButton::Yes, MessageButton::No};
    QTest::newRow("error, Enter") << MessageKind::Error << ok << "Enter" << mrOk;
    QTest::newRow("error, Escape") << MessageKind::Error << ok << "Escape" << mrOk;
    QTest::newRow("error, close button") << MessageKind::Error << ok << "close" << mrCancel;
    QTest::newRow("confirm, Enter") << MessageKind::Confirmation << yesNo << "Enter" << mrYes;
    QTest::newRow("confirm, Escape") << MessageKind::Confirmation << yesNo << "Escape" << mrNo;
}

void TestTMessageForm::answers() {
    QFETCH(MessageKind, kind);
    QFETCH(MessageButtons, buttons);
    QFETCH(QString, answer);
    QFETCH(int, expected);
    whenModal([&](QWidget* window) {
        saveGrabs(window, QStringLiteral("dialog, ") + QTest::currentDataTag());
        modaldriver::answer(window, answer);
    });
    QCOMPARE(ShowMessageDialog(kind == MessageKind::Error ? s_errorText : s_confirmationText, kind,
                               buttons, 0),
             expected);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestTMessageForm::buttonOrder() {
    using B = MessageButton;
    const TMessageForm form(
        "Text", MessageKind::Information,
        {B::Help, B::All, B::Ignore, B::Retry, B::Abort, B::Cancel, B::OK, B::No, B::Yes}, 0);
    QCOMPARE(namesLeftToRight(form),
             (QStringList{"Yes=&Yes", "No=&No", "OK=OK", "Cancel=Cancel", "Abort=&Abort",
                          "Retry=&Retry", "Ignore=&Ignore", "All=&All", "Help=&Help"}));
}

void TestTMessageForm::defaultAndCancel_data() {
    using B = MessageButton;
    QTest::addColumn<MessageButtons>("named");
    QTest::addColumn<QString>("defaultButton"); // also the one focused
    QTest::addColumn<int>("escapeGives");       // mrNone: Escape leaves the dialog open
    QTest::newRow("OK, Cancel") << MessageButtons{B::OK, B::Cancel} << "OK" << mrCancel;
    QTest::newRow("Yes, No, Cancel")
        << MessageButtons{B::Yes, B::No, B::Cancel} << "Yes" << mrCancel;
    QTest::newRow("Abort, Retry, Ignore")
        << MessageButtons{B::Abort, B::Retry, B::Ignore} << "Retry" << mrNone;
    QTest::newRow("Help alone") << MessageButtons{B::Help} << "" << mrNone;
}

void TestTMessageForm::defaultAndCancel() {
    QFETCH(MessageButtons, named);
    QFETCH(QString, defaultButton);
    QFETCH(int, escapeGives);
    TMessageForm form("Text", MessageKind::Warning, named, 0);
    QStringList defaults;
    for (const ModalButton* button : form.buttons()) {
        if (button->isDefault())
            defaults << button->objectName();
    }
    QCOMPARE(defaults.join(','), defaultButton);

    bool openAfterEscape = false;
    QString focused;
    whenModal([&](QWidget* window) {
        focused = window->focusWidget() ? window->focusWidget()->objectName() : QString();
        pressKey(window, Qt::Key_Escape);
        openAfterEscape = !isAnswered(window);
        ensureAnswered(window);
    });
    QCOMPARE(RunModal(&form), escapeGives == mrNone ? mrCancel : escapeGives);
    QCOMPARE(openAfterEscape, escapeGives == mrNone);
    if (!defaultButton.isEmpty())
        QCOMPARE(focused, defaultButton);
}

void TestTMessageForm::helpButtonKeepsDialogOpen() {
    QList<QPair<int, quint32>> requests;
    HelpRequestHandler::install([&](quint16 command, quint32 data) {
        requests.append({command, data});
        return true;
    });
    bool openAfterHelp = false;
    int helpContext = 0;
    whenModal([&](QWidget* window) {
        helpContext = window->property("HelpContext").toInt();
        if (auto* help = window->findChild<ModalButton*>(QStringLiteral("Help")))
            help->click();
        openAfterHelp = !isAnswered(window);
        pressKey(window, Qt::Key_Escape);
        ensureAnswered(window);
    });
    QCOMPARE(ShowMessageDialog("Text", MessageKind::Information,
                               {MessageButton::OK, MessageButton::Help}, 4711),
             mrOk);
    QVERIFY(openAfterHelp);
    QCOMPARE(helpContext, 4711);
    QCOMPARE(requests, (QList<QPair<int, quint32>>{{HELP_CONTEXT, 4711u}}));
}

void TestTMessageForm::kinds_data() {
    QTest::addColumn<MessageKind>("kind");
    QTest::addColumn<QString>("caption");
    QTest::newRow("warning") << MessageKind::Warning << "Warning";
    QTest::newRow("error") << MessageKind::Error << "Error";
    QTest::newRow("information") << MessageKind::Information << "Information";
    QTest::newRow("confirmation") << MessageKind::Confirmation << "Confirm";
    QTest::newRow("custom") << MessageKind::Custom << "Zelmar Pictavo";
}

void TestTMessageForm::kinds() {
    QFETCH(MessageKind, kind);
    QFETCH(QString, caption);
    // Names on this system may hold markup characters; they must show as typed.
    const std::string text = "Can't open <b>a&b</b>.jpg";
    TMessageForm form(text, kind, {MessageButton::OK}, 0);
    QCOMPARE(form.windowTitle(), caption);
    const auto* image = form.findChild<QLabel*>(QStringLiteral("Image"));
    QCOMPARE(image != nullptr, kind != MessageKind::Custom);
    const auto* message = form.findChild<QLabel*>(QStringLiteral("Message"));
    QVERIFY(message);
    QCOMPARE(message->text(), QString::fromStdString(text));
    QCOMPARE(message->textFormat(), Qt::PlainText);
}

void TestTMessageForm::layout_data() {
    QTest::addColumn<MessageKind>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<MessageButtons>("named");
    QTest::newRow("short text") << MessageKind::Error << "Disk full."
                                << MessageButtons{MessageButton::OK};
    QString longText;
    for (int i = 0; i < 12; ++i)
        longText += QStringLiteral("Maybe the disc is full or write-protected. ");
    QTest::newRow("longer than half the screen")
        << MessageKind::Confirmation << longText.trimmed()
        << MessageButtons{MessageButton::Yes, MessageButton::No};
    QTest::newRow("no icon, button row wider than text")
        << MessageKind::Custom << "Retry?"
        << MessageButtons{MessageButton::Abort, MessageButton::Retry, MessageButton::Ignore};
}

void TestTMessageForm::layout() {
    QFETCH(MessageKind, kind);
    QFETCH(QString, text);
    QFETCH(MessageButtons, named);
    TMessageForm form(text.toStdString(), kind, named, 0);

    const QFontMetrics metrics(form.font());
    const int x = metrics.horizontalAdvance(
                      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                  52;
    const int y = metrics.height();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect measured = metrics.boundingRect(QRect(0, 0, screen.width() / 2, 0),
                                                Qt::TextWordWrap | Qt::AlignLeft, text);
    const bool hasIcon = kind != MessageKind::Custom;
    const int margin = pixels(8, x, 4);
    const int top = pixels(8, y, 8);
    const int iconRoom = hasIcon ? 32 + pixels(10, x, 4) : 0;
    const int blockHeight = hasIcon ? qMax(measured.height(), 32) : measured.height();
    const int buttonWidth = pixels(50, x, 4);
    const int rowWidth = named.count() * buttonWidth + (named.count() - 1) * pixels(4, x, 4);
    const int width = qMax(measured.width() + iconRoom, rowWidth) + 2 * margin;
    const int height = blockHeight + pixels(14, y, 8) + pixels(10, y, 8) + 2 * top;

    if (QTest::currentDataTag() == QByteArrayLiteral("longer than half the screen")) {
        QVERIFY(measured.width() <= screen.width() / 2);
        QVERIFY(measured.height() >= 3 * y);
    }
    QCOMPARE(form.size(), QSize(width, height));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Message"))->geometry(),
             QRect(margin + iconRoom, top, measured.width(), measured.height()));
    if (hasIcon)
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Image"))->geometry(),
                 QRect(margin, top, 32, 32));
    int left = (width - rowWidth) / 2;
    const QList<ModalButton*>& buttons = form.buttons();
    QCOMPARE(buttons.size(), named.count());
    for (const ModalButton* button : buttons) {
        QCOMPARE(button->geometry(),
                 QRect(left, blockHeight + top + pixels(10, y, 8), buttonWidth, pixels(14, y, 8)));
        left += buttonWidth + pixels(4, x, 4);
    }
}

PICTAVO_TEST_MAIN(TestTMessageForm, QApplication)
#include "tst_tmessageform.moc"
