#include "app/HelpRequest.h"
#include "app/RunModal.h"
#include "app/ShowMessageDialog.h"
#include "app/TMessageForm.h"
#include "app/TModalButton.h"
#include "tests/app/ModalDriver.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
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

MessageButtons buttonSet(const QList<MessageButton>& list) {
    MessageButtons buttons;
    for (MessageButton button : list)
        buttons.insert(button);
    return buttons;
}

QStringList namesLeftToRight(const QWidget& form) {
    QList<TModalButton*> buttons = form.findChildren<TModalButton*>();
    std::sort(buttons.begin(), buttons.end(),
              [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    QStringList names;
    for (const TModalButton* button : buttons)
        names << button->objectName() + QLatin1Char('=') + button->text();
    return names;
}

QString nameOf(const TModalButton* button) {
    return button ? button->objectName() : QString();
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
    void buttonOrder_data();
    void buttonOrder();
    void defaultAndCancel_data();
    void defaultAndCancel();
    void helpButtonKeepsDialogOpen();
    void kinds_data();
    void kinds();
    void layout_data();
    void layout();
    void grabs();
};

void TestTMessageForm::initTestCase() {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Zelmar Pictavo"));
}

void TestTMessageForm::cleanup() {
    SetHelpRequestHandler({});
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
    QTest::newRow("error, OK clicked") << MessageKind::Error << ok << "OK" << mrOk;
    QTest::newRow("error, close button") << MessageKind::Error << ok << "close" << mrCancel;
    QTest::newRow("confirm, Enter") << MessageKind::Confirmation << yesNo << "Enter" << mrYes;
    QTest::newRow("confirm, Escape") << MessageKind::Confirmation << yesNo << "Escape" << mrNo;
    QTest::newRow("confirm, No clicked") << MessageKind::Confirmation << yesNo << "No" << mrNo;
    QTest::newRow("confirm, close button")
        << MessageKind::Confirmation << yesNo << "close" << mrCancel;
}

void TestTMessageForm::answers() {
    QFETCH(MessageKind, kind);
    QFETCH(MessageButtons, buttons);
    QFETCH(QString, answer);
    QFETCH(int, expected);
    whenModal([&](QWidget* window) { modaldriver::answer(window, answer); });
    QCOMPARE(ShowMessageDialog(s_errorText, kind, buttons, 0), expected);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestTMessageForm::buttonOrder_data() {
    using B = MessageButton;
    QTest::addColumn<QList<MessageButton>>("named");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("all nine, reversed")
        << QList<B>{B::Help, B::All, B::Ignore, B::Retry, B::Abort, B::Cancel, B::OK, B::No, B::Yes}
        << QStringList{"Yes=&Yes",       "No=&No",       "OK=OK",
                       "Cancel=Cancel",  "Abort=&Abort", "Retry=&Retry",
                       "Ignore=&Ignore", "All=&All",     "Help=&Help"};
    QTest::newRow("Cancel before OK")
        << QList<B>{B::Cancel, B::OK} << QStringList{"OK=OK", "Cancel=Cancel"};
    QTest::newRow("No before Yes") << QList<B>{B::No, B::Yes} << QStringList{"Yes=&Yes", "No=&No"};
    QTest::newRow("scattered") << QList<B>{B::Help, B::Ignore, B::Abort, B::Retry}
                               << QStringList{"Abort=&Abort", "Retry=&Retry", "Ignore=&Ignore",
                                              "Help=&Help"};
    QTest::newRow("named twice") << QList<B>{B::OK, B::OK} << QStringList{"OK=OK"};
}

void TestTMessageForm::buttonOrder() {
    QFETCH(QList<MessageButton>, named);
    QFETCH(QStringList, shown);
    TMessageForm form("Text", MessageKind::Information, buttonSet(named), 0);
    QCOMPARE(namesLeftToRight(form), shown);
}

void TestTMessageForm::defaultAndCancel_data() {
    using B = MessageButton;
    QTest::addColumn<QList<MessageButton>>("named");
    QTest::addColumn<QString>("defaultButton");
    QTest::addColumn<QString>("cancelButton");
    QTest::addColumn<int>("escapeGives"); // mrNone: Escape leaves the dialog open
    QTest::newRow("OK, Cancel") << QList<B>{B::OK, B::Cancel} << "OK"
                                << "Cancel" << mrCancel;
    QTest::newRow("Yes, No, Cancel") << QList<B>{B::Yes, B::No, B::Cancel} << "Yes"
                                     << "Cancel" << mrCancel;
    QTest::newRow("Yes, No") << QList<B>{B::Yes, B::No} << "Yes"
                             << "No" << mrNo;
    QTest::newRow("OK alone") << QList<B>{B::OK} << "OK"
                              << "OK" << mrOk;
    QTest::newRow("Abort, Retry, Ignore") << QList<B>{B::Abort, B::Retry, B::Ignore} << "Retry"
                                          << "" << mrNone;
    QTest::newRow("Help alone") << QList<B>{B::Help} << ""
                                << "" << mrNone;
}

void TestTMessageForm::defaultAndCancel() {
    QFETCH(QList<MessageButton>, named);
    QFETCH(QString, defaultButton);
    QFETCH(QString, cancelButton);
    QFETCH(int, escapeGives);
    TMessageForm form("Text", MessageKind::Warning, buttonSet(named), 0);
    const QList<TModalButton*>& buttons = form.buttons();
    QStringList defaults;
    QStringList cancels;
    for (const TModalButton* button : buttons) {
        if (button->isDefault())
            defaults << button->objectName();
        if (button->isCancel())
            cancels << button->objectName();
    }
    QCOMPARE(defaults.join(','), defaultButton);
    QCOMPARE(cancels.join(','), cancelButton);

    bool openAfterEscape = false;
    QString focused;
    whenModal([&](QWidget* window) {
        focused = nameOf(qobject_cast<TModalButton*>(window->focusWidget()));
        pressKey(window, Qt::Key_Escape);
        openAfterEscape = !isAnswered(window);
        ensureAnswered(window);
    });
    const int result = RunModal(&form);
    QCOMPARE(openAfterEscape, escapeGives == mrNone);
    QCOMPARE(result, escapeGives == mrNone ? mrCancel : escapeGives);
    if (!defaultButton.isEmpty())
        QCOMPARE(focused, defaultButton);
}

void TestTMessageForm::helpButtonKeepsDialogOpen() {
    QList<QPair<int, quint32>> requests;
    SetHelpRequestHandler([&](quint16 command, quint32 data) {
        requests.append({command, data});
        return true;
    });
    bool openAfterHelp = false;
    int helpContext = 0;
    whenModal([&](QWidget* window) {
        helpContext = window->property("HelpContext").toInt();
        if (auto* help = window->findChild<TModalButton*>(QStringLiteral("Help")))
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
    QTest::addColumn<bool>("hasIcon");
    QTest::newRow("warning") << MessageKind::Warning << "Warning" << true;
    QTest::newRow("error") << MessageKind::Error << "Error" << true;
    QTest::newRow("information") << MessageKind::Information << "Information" << true;
    QTest::newRow("confirmation") << MessageKind::Confirmation << "Confirm" << true;
    QTest::newRow("custom") << MessageKind::Custom << "Zelmar Pictavo" << false;
}

void TestTMessageForm::kinds() {
    QFETCH(MessageKind, kind);
    QFETCH(QString, caption);
    QFETCH(bool, hasIcon);
    // Names on this system may hold markup characters; they must show as typed.
    const std::string text = "Can't open <b>a&b</b>.jpg";
    TMessageForm form(text, kind, {MessageButton::OK}, 0);
    QCOMPARE(form.windowTitle(), caption);
    const auto* image = form.findChild<QLabel*>(QStringLiteral("Image"));
    QCOMPARE(image != nullptr, hasIcon);
    if (image)
        QCOMPARE(image->pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
    const auto* message = form.findChild<QLabel*>(QStringLiteral("Message"));
    QVERIFY(message);
    QCOMPARE(message->text(), QString::fromStdString(text));
    QCOMPARE(message->textFormat(), Qt::PlainText);
    QCOMPARE(form.font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(form.font().pointSize(), 8);
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(
        !(form.windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint)));
    QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
}

void TestTMessageForm::layout_data() {
    QTest::addColumn<MessageKind>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<MessageButton>>("named");
    QTest::newRow("short text") << MessageKind::Error << "Disk full."
                                << QList<MessageButton>{MessageButton::OK};
    QString longText;
    for (int i = 0; i < 12; ++i)
        longText += QStringLiteral("Maybe the disc is full or write-protected. ");
    QTest::newRow("longer than half the screen")
        << MessageKind::Confirmation << longText.trimmed()
        << QList<MessageButton>{MessageButton::Yes, MessageButton::No};
    QTest::newRow("no icon, button row wider than text")
        << MessageKind::Custom << "Retry?"
        << QList<MessageButton>{MessageButton::Abort, MessageButton::Retry, MessageButton::Ignore};
}

void TestTMessageForm::layout() {
    QFETCH(MessageKind, kind);
    QFETCH(QString, text);
    QFETCH(QList<MessageButton>, named);
    TMessageForm form(text.toStdString(), kind, buttonSet(named), 0);

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
    const int rowWidth = int(named.size()) * buttonWidth + int(named.size() - 1) * pixels(4, x, 4);
    const int width = qMax(measured.width() + iconRoom, rowWidth) + 2 * margin;
    const int height = blockHeight + pixels(14, y, 8) + pixels(10, y, 8) + 2 * top;

    if (QTest::currentDataTag() == QByteArrayLiteral("longer than half the screen")) {
        QVERIFY(measured.width() <= screen.width() / 2);
        QVERIFY(measured.height() >= 3 * y);
    }
    QCOMPARE(form.size(), QSize(width, height));
    QCOMPARE(form.messageLayout().clientSize, QSize(width, height));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Message"))->geometry(),
             QRect(margin + iconRoom, top, measured.width(), measured.height()));
    if (hasIcon)
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Image"))->geometry(),
                 QRect(margin, top, 32, 32));
    int left = (width - rowWidth) / 2;
    const QList<TModalButton*>& buttons = form.buttons();
    QCOMPARE(buttons.size(), named.size());
    for (const TModalButton* button : buttons) {
        QCOMPARE(button->geometry(),
                 QRect(left, blockHeight + top + pixels(10, y, 8), buttonWidth, pixels(14, y, 8)));
        left += buttonWidth + pixels(4, x, 4);
    }
    // Without a window manager the outer size is the client size.
    QCOMPARE(form.pos(), QPoint(screen.width() / 2 - width / 2, screen.height() / 2 - height / 2));
}

void TestTMessageForm::grabs() {
    const QString folder = qEnvironmentVariable("PICTAVO_TEST_ARTIFACTS");
    if (folder.isEmpty())
        QSKIP("PICTAVO_TEST_ARTIFACTS names no folder");
    QVERIFY(QDir().mkpath(folder));
    const auto grabAndAnswer = [&](const QString& file) {
        whenModal([=](QWidget* window) {
            window->grab().save(QDir(folder).filePath(file));
            pressKey(window, Qt::Key_Return);
            ensureAnswered(window);
        });
    };
    grabAndAnswer(QStringLiteral("error-dialog.png"));
    QCOMPARE(ShowMessageDialog(s_errorText, MessageKind::Error, {MessageButton::OK}, 0), mrOk);
    grabAndAnswer(QStringLiteral("confirmation-dialog.png"));
    QCOMPARE(ShowMessageDialog(s_confirmationText, MessageKind::Confirmation,
                               {MessageButton::Yes, MessageButton::No}, 0),
             mrYes);
    QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("error-dialog.png"))));
    QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("confirmation-dialog.png"))));
}

PICTAVO_TEST_MAIN(TestTMessageForm, QApplication)
#include "tst_tmessageform.moc"
