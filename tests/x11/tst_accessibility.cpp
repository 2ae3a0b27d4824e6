#include "app/Application.h"
#include "app/TMessageForm.h"
#include "help/HelpFile.h"
#include "help/HelpWindow.h"
#include "platform/drives/Paths.h"
#include "platform/testing/FakeDriveTable.h"
#include "platform/testing/RegistrySandbox.h"
#include "selectors/TDirectoryListBox.h"
#include "ui/AboutWindowUnit.h"
#include "ui/MainWindowUnit.h"

#include "tests/support/TestEnvironment.h"

#include <QAccessible>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

// What a screen reader learns from the windows on a real X server with the accessibility bus
// running: each control's role, name and description, and where the focus is said to be.
class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        QVERIFY(QDir(m_root.path()).mkpath("c/Pics/Sub"));
        // Qt's bridge starts once the session bus has started the accessibility bus.
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 20000);
    }

    void init() {
        m_registry = std::make_unique<platform::RegistrySandbox>();
        m_drives = std::make_unique<platform::FakeDriveTable>();
        m_drives->map('C', m_root.filePath("c").toStdString());
        QCOMPARE(platform::setCurrentDirectory("C:\\Pics"), 0);
    }

    void cleanup() {
        m_drives.reset();
        m_registry.reset();
    }

    // Every control is named by its label (or the group it stands in) and described by its
    // hint; the dialogs are alerts that carry their text.
    void controlsNamedByTheirLabels_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        const auto row = [](const char* window, const char* control, QAccessible::Role role,
                            const char* name, const char* description) {
            QTest::newRow((QByteArray(window) + " " + control).constData())
                << QString(window) << QString(control) << int(role) << QString(name)
                << QString(description);
        };
        // On Linux a combo box's name is its value; its group's title labels it.
        row("main", "Drive", QAccessible::ComboBox,
            "Search this directory for web pictures:", "Select a drive");
        row("main", "Directory", QAccessible::List, "Directory",
            "Select a directory which will be searched for images (*.JPG,*.JPEG,*.GIF)");
        row("main", "chkOriginalImageSize", QAccessible::CheckBox, "Keep original size",
            "If activated, all images are shown in original size");
        row("main", "ediImageHeight", QAccessible::EditableText,
            "Height:", "Changes the height of the images");
        row("main", "ediImageWidth", QAccessible::EditableText,
            "Width:", "Changes the width of the images");
        row("main", "ediFileName", QAccessible::EditableText, "File to generate",
            "This file will be created in the selected directory, containing all found images");
        row("main", "btnStart", QAccessible::Button, "Start!", "Click here to start");
        row("about", "Edit1", QAccessible::EditableText, "Contact Zelmar:", "");
        row("about", "Edit2", QAccessible::EditableText, "Support BBS:", "");
        row("about", "ediWebPage", QAccessible::EditableText, "Zelmar Online:", "");
        row("about", "Image1", QAccessible::Graphic, "Zelmar logo", "");
        row("error", "", QAccessible::AlertMessage, "Error", "The disk is full.");
        row("confirm", "", QAccessible::AlertMessage, "Confirm", "View it now?");
    }
    void controlsNamedByTheirLabels() {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(QString, description);
        std::unique_ptr<QWidget> shown;
        if (window == "main")
            shown = std::make_unique<TMainWindow>(std::vector<std::string>{});
        else if (window == "about")
            shown = std::make_unique<TAboutWindow>();
        else if (window == "error")
            shown = std::make_unique<TMessageForm>("The disk is full.", MessageKind::Error,
                                                   MessageButtons{MessageButton::OK}, 0);
        else
            shown = std::make_unique<TMessageForm>(
                "View it now?", MessageKind::Confirmation,
                MessageButtons{MessageButton::Yes, MessageButton::No}, 0);
        shown->show();
        QWidget* widget = control.isEmpty() ? shown.get() : shown->findChild<QWidget*>(control);
        QVERIFY(widget);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(accessible);
        QCOMPARE(int(accessible->role()), role);
        if (accessible->role() == QAccessible::ComboBox) {
            const auto labels = accessible->relations(QAccessible::Label);
            QVERIFY(!labels.isEmpty());
            QCOMPARE(labels.front().first->text(QAccessible::Name), name);
        } else {
            QCOMPARE(accessible->text(QAccessible::Name), name);
        }
        QCOMPARE(accessible->text(QAccessible::Description), description);
        if (control == "btnStart")
            QVERIFY(accessible->state().defaultButton);
    }

    // The list's items claim the focus only while the list has it: a change of drive refills
    // the list while the keyboard stays on the drive selector.
    void listItemsClaimTheFocusOnlyWithIt() {
        QWidget window;
        auto* other = new QLineEdit(&window);
        auto* list = new TDirectoryListBox(&window);
        list->move(0, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        static QList<QObject*> focused;
        focused.clear();
        const auto previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            if (event->type() == QAccessible::Focus)
                focused << event->object();
        });
        const auto restore =
            qScopeGuard([previous] { QAccessible::installUpdateHandler(previous); });
        list->SetDirectory("C:\\");
        list->SetDirectory("C:\\Pics\\Sub");
        QCOMPARE(focused, QList<QObject*>{});
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        focused.clear();
        QTest::keyClick(list, Qt::Key_Up);
        QVERIFY(focused.contains(list));
    }

    // Read as assistive technology reads it, over AT-SPI from another process.
    void mainWindowReadOverAtSpi() {
        TMainWindow window({});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString heard = atSpiNames(QCoreApplication::applicationPid());
        for (const char* line :
             {"combo box|c: []|Select a drive\n  labelled by Search this directory for web "
              "pictures:",
              "list|Directory|Select a directory which will be searched for images "
              "(*.JPG,*.JPEG,*.GIF)",
              "check box|Keep original size|If activated, all images are shown in original size",
              "text|Height:|Changes the height of the images",
              "text|Width:|Changes the width of the images",
              "text|File to generate|This file will be created in the selected directory, "
              "containing all found images",
              "push button|Start!|Click here to start"})
            QVERIFY2(heard.contains(QLatin1String(line)), qPrintable(heard));
    }

    // The help pop-up is a tool tip whose name is its text, found where a screen reader looks:
    // among the help viewer's windows.
    void helpPopUpReadOverAtSpi() {
        const QString viewer = QStringLiteral(PICTAVO_HELP_VIEWER);
        const QString helpFile = QFileInfo(viewer).dir().filePath("Pictavo.hlp");
        QProcess help;
        help.start(viewer, {helpFile, "8", "10100"});
        QVERIFY(help.waitForStarted());
        const auto stop = qScopeGuard([&help] {
            help.kill();
            help.waitForFinished();
        });
        QString heard;
        for (int attempt = 0; attempt < 40 && !heard.contains("tool tip|Folder list"); ++attempt) {
            QTest::qWait(250);
            heard = atSpiNames(help.processId());
        }
        QVERIFY2(heard.contains("tool tip|Folder list\nShows the path to the selected folder"),
                 qPrintable(heard));
    }

    // Moving through the help text's links with Tab moves its caret for a screen reader too.
    void helpLinksFollowedByTheCaret() {
        HelpWindow window;
        window.showTopic(std::make_shared<const HelpFile>(HelpFile::fromHtml(
                             "/help.hlp", "<div id=\"topic-contents\"><p>See <a "
                                          "href=\"#topic-1\">one</a> and <a "
                                          "href=\"#topic-2\">two</a>.</p></div>")),
                         QStringLiteral("contents"));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* text = window.findChild<QTextBrowser*>("Topic");
        QVERIFY(text);
        text->setFocus();
        static QList<QAccessible::Event> heard;
        heard.clear();
        const auto previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            if (event->object() && event->object()->objectName() == "Topic")
                heard << event->type();
        });
        const auto restore =
            qScopeGuard([previous] { QAccessible::installUpdateHandler(previous); });
        QTest::keyClick(text, Qt::Key_Tab);
        QVERIFY(text->textCursor().hasSelection()); // the first link
        QVERIFY(heard.contains(QAccessible::TextCaretMoved));
        QVERIFY(heard.contains(QAccessible::TextSelectionChanged));
    }

private:
    // What the AT-SPI helper reads of the program with that process id.
    static QString atSpiNames(qint64 pid) {
        QProcess reader;
        // Debian's own Python, which python3-pyatspi serves.
        reader.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(PICTAVO_ATSPI_NAMES), QString::number(pid)});
        // The reader's questions may be for this process, whose event loop must answer them.
        for (int waited = 0; waited < 600 && reader.state() != QProcess::NotRunning; ++waited)
            QTest::qWait(100);
        return QString::fromUtf8(reader.readAllStandardOutput() + reader.readAllStandardError());
    }

    QTemporaryDir m_root;
    std::unique_ptr<platform::RegistrySandbox> m_registry;
    std::unique_ptr<platform::FakeDriveTable> m_drives;
};

int main(int argc, char** argv) {
    testsupport::TestEnvironment environment;
    Application application(argc, argv);
    TestAccessibility test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_accessibility.moc"
