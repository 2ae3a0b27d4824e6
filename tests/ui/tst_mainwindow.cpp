#include "app/Application.h"
#include "app/ApplicationTitle.h"
#include "app/HelpRequest.h"
#include "guard/ErrorGuard.h"
#include "index/Feedback.h"
#include "platform/drives/Paths.h"
#include "platform/registry/Registry.h"
#include "platform/testing/FakeDriveTable.h"
#include "platform/testing/RecordingShell.h"
#include "platform/testing/RegistrySandbox.h"
#include "selectors/TDirectoryListBox.h"
#include "selectors/TDriveComboBox.h"
#include "tests/app/ModalDriver.h"
#include "tests/support/Artifacts.h"
#include "tests/support/TestEnvironment.h"
#include "ui/AboutWindowUnit.h"
#include "ui/MainWindowUnit.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QWhatsThis>

#include <cerrno>
#include <clocale>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using platform::RegistrySandbox;

namespace {

const std::string Settings = "Software\\Zelmar Inc.\\Pictavo\\1.0";

QString text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

// One pass of the event loop that goes to sleep, so the idle processing runs.
void idle() {
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

// Near the bottom-left corner: inside the control, and inside a group box but off its contents.
void pointAt(QWidget* widget) {
    QCursor::setPos(widget->mapToGlobal(QPoint(4, widget->height() - 4)));
    idle();
}

} // namespace

// The main window on drive C (Pics with a picture, Other), D (Sub) and E without a medium,
// with a fresh settings store and a shell that only records.
class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startUp_data();
    void startUp();
    void argumentNotUtf8();
    void nameNotUtf8ShownAlike();
    void hints_data();
    void hints();
    void statusTextStaysUntilTheHintChanges();
    void menuHints();
    void help_data();
    void help();
    void driveWithoutMedium();
    void enterPressesStart_data();
    void enterPressesStart();
    void focusBackAfterAnError();
    void settingsSavedAsTyped();
    void sizeFieldLimit_data();
    void sizeFieldLimit();
    void aboutWindow();

private:
    void open(const std::vector<std::string>& arguments = {});
    template <typename T>
    T* child(const char* name) const {
        return m_window->findChild<T*>(QLatin1String(name));
    }

    QTemporaryDir m_root;
    std::unique_ptr<RegistrySandbox> m_registry;
    std::unique_ptr<platform::FakeDriveTable> m_drives;
    std::unique_ptr<platform::RecordingShell> m_shell;
    std::unique_ptr<TMainWindow> m_window;
};

void TestMainWindow::initTestCase() {
    for (const char* folder :
         {"c/Pics", "c/Other", "d/Sub", "c/12:30", "c/Photos: Summer", "c/Photos/Summer"})
        QVERIFY(QDir(m_root.path()).mkpath(folder));
    QImage(4, 4, QImage::Format_RGB32).save(m_root.filePath("c/Pics/a.jpg"), "JPEG");
    QFile note(m_root.filePath("c/Pics/at 12:30.txt"));
    QVERIFY(note.open(QIODevice::WriteOnly));
}

void TestMainWindow::init() {
    m_registry = std::make_unique<RegistrySandbox>();
    m_drives = std::make_unique<platform::FakeDriveTable>();
    m_drives->map('C', m_root.filePath("c").toStdString());
    m_drives->map('D', m_root.filePath("d").toStdString());
    m_drives->mapNotReady('E');
    // The help file is looked for beside the executable, on whatever drive holds it.
    m_drives->map('B', QFileInfo(QCoreApplication::applicationDirPath()).path().toStdString());
    QCOMPARE(platform::setCurrentDirectory("C:\\Other"), 0);
    m_shell = std::make_unique<platform::RecordingShell>();
    QCursor::setPos(0, 0);
}

void TestMainWindow::cleanup() {
    QWhatsThis::leaveWhatsThisMode();
    m_window.reset();
    m_shell.reset();
    m_drives.reset();
    m_registry.reset();
}

void TestMainWindow::open(const std::vector<std::string>& arguments) {
    m_window = std::make_unique<TMainWindow>(arguments);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::startUp_data() {
    QTest::addColumn<QStringList>("stored"); // name=text, or name:dword for a number
    QTest::addColumn<QString>("argument");   // below drive C's host root
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("fields"); // height, width, file name, size fields enabled
    QTest::addColumn<bool>("initializing");
    const QString defaults = "||index.html|0";
    QTest::newRow("first start") << QStringList{} << ""
                                 << "C:\\Other" << defaults << false;
    QTest::newRow("stored values, typed longer than the fields take")
        << QStringList{"ImageHeight=12345", "ImageWidth=x", "Filename=a.htm", "KeepSize=0",
                       "CurPath=D:\\Sub"}
        << ""
        << "D:\\Sub"
        << "12345|x|a.htm|1" << false;
    QTest::newRow("argument over the stored directory") << QStringList{"CurPath=D:\\Sub"} << "Pics"
                                                        << "C:\\Pics" << defaults << false;
    // A stale setting ends only the steps that read the settings.
    QTest::newRow("stored directory deleted")
        << QStringList{"ImageHeight=7", "CurPath=D:\\Gone"} << "Pics"
        << "C:\\Pics"
        << "7||index.html|0" << false;
    QTest::newRow("stored value of the wrong type")
        << QStringList{"ImageHeight=7", "ImageWidth:dword", "CurPath=D:\\Sub"} << "Pics"
        << "C:\\Pics"
        << "7||index.html|0" << false;
    // As a file manager's "Open with" hands over a file: a ':' in its name is no drive.
    QTest::newRow("a file argument opens its folder")
        << QStringList{"CurPath=D:\\Sub"} << "Pics/a.jpg"
        << "C:\\Pics" << defaults << false;
    QTest::newRow("a file argument with ':' in its name")
        << QStringList{"CurPath=D:\\Sub"} << "Pics/at 12:30.txt"
        << "C:\\Pics" << defaults << false;
    // Later drive errors are reported, whatever became of the argument.
    QTest::newRow("argument missing") << QStringList{"CurPath=D:\\Sub"} << "Missing"
                                      << "D:\\Sub" << defaults << false;
    // Names that typed text would read as a drive or a file name are entered as they are.
    QTest::newRow("argument with a colon") << QStringList{"CurPath=D:\\Sub"} << "12:30"
                                           << "C:\\12:30" << defaults << false;
    QTest::newRow("stored directory with a colon")
        << QStringList{"CurPath=C:\\Photos: Summer"} << ""
        << "C:\\Photos: Summer" << defaults << false;
}

void TestMainWindow::startUp() {
    QFETCH(QStringList, stored);
    QFETCH(QString, argument);
    QFETCH(QString, directory);
    QFETCH(QString, fields);
    QFETCH(bool, initializing);
    for (const QString& value : stored) {
        if (value.endsWith(":dword"))
            RegistrySandbox::setValue(Settings, value.chopped(6).toStdString(), platform::RegDword,
                                      RegistrySandbox::dword(1));
        else
            RegistrySandbox::setValue(Settings, value.section('=', 0, 0).toStdString(),
                                      platform::RegSz, value.section('=', 1).toStdString());
    }
    std::vector<std::string> arguments;
    if (!argument.isEmpty())
        arguments.push_back(m_root.filePath("c/" + argument).toStdString());
    open(arguments);

    QCOMPARE(text(child<TDirectoryListBox>("Directory")->Directory()), directory);
    QCOMPARE(QChar(child<TDriveComboBox>("Drive")->Drive()).toUpper(), directory.front());
    const QStringList shown{child<QLineEdit>("ediImageHeight")->text(),
                            child<QLineEdit>("ediImageWidth")->text(),
                            child<QLineEdit>("ediFileName")->text(),
                            QString::number(child<QLineEdit>("ediImageWidth")->isEnabled())};
    QCOMPARE(shown.join('|'), fields);
    QCOMPARE(m_window->Initializing(), initializing);
    if (QTest::currentDataTag() == QLatin1String("first start")) {
        // The caption of a message dialog of the custom kind.
        QCOMPARE(applicationTitle(), QStringLiteral("Zelmar Pictavo"));
        saveGrabs(m_window.get(), "main-window-first-start");
    }
}

// The argument's bytes reach the list, the settings and the page unchanged.
void TestMainWindow::argumentNotUtf8() {
    const std::string name = "Caf\xe9";
    const std::string host = m_root.filePath("c/").toStdString() + name;
    QVERIFY(::mkdir(host.c_str(), 0700) == 0 || errno == EEXIST);
    // QTemporaryDir cannot remove a name it cannot decode.
    const std::unique_ptr<const char, int (*)(const char*)> removal(host.c_str(), ::rmdir);
    open({host});
    QCOMPARE(child<TDirectoryListBox>("Directory")->Directory(), "C:\\" + name);
    m_window.reset();
    QCOMPARE(RegistrySandbox::value(Settings, "CurPath").bytes, "C:\\" + name);
}

// A name that is not UTF-8 reads the same in the list, the status bar and a dialog, whatever
// the user's locale makes of its bytes.
void TestMainWindow::nameNotUtf8ShownAlike() {
    const std::string saved = setlocale(LC_ALL, nullptr);
    const auto restore = qScopeGuard([&saved] { setlocale(LC_ALL, saved.c_str()); });
    if (!setlocale(LC_ALL, "fr_FR.ISO-8859-1"))
        QSKIP("locale not generated here; scripts/test.sh generates it");
    const std::string host = m_root.filePath("c/").toStdString() + "Caf\xe9";
    QVERIFY(::mkdir(host.c_str(), 0700) == 0 || errno == EEXIST);
    const std::unique_ptr<const char, int (*)(const char*)> removal(host.c_str(), ::rmdir);
    open({host});
    const QString shown = QStringLiteral("Caf\uFFFD");
    auto* list = child<TDirectoryListBox>("Directory");
    QCOMPARE(list->displayText(list->itemIndex()), shown);
    QString question;
    modaldriver::whenModal([&question](QWidget* dialog) {
        question = dialog->findChild<QLabel*>("Message")->text();
        modaldriver::answer(dialog, "OK");
    });
    ShowErrorMessage("Caf\xe9");
    QCOMPARE(question, shown);
    ShowStatus("Caf\xe9");
    QCOMPARE(child<QStatusBar>("StatusBar")->currentMessage(), shown);
}

void TestMainWindow::hints_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("sizeFields");
    QTest::addColumn<QString>("hint");
    QTest::newRow("Start!") << "btnStart" << false << "Click here to start";
    QTest::newRow("drive selector") << "Drive" << false << "Select a drive";
    QTest::newRow("label") << "staImageHeight" << true << "";
    QTest::newRow("group box") << "GroupBox1" << false << "";
    QTest::newRow("disabled size field") << "ediImageHeight" << false << "";
    QTest::newRow("enabled size field")
        << "ediImageHeight" << true << "Changes the height of the images";
    QTest::newRow("hint with two bars") << "btnStart|a|b" << false << "a|b";
}

void TestMainWindow::hints() {
    QFETCH(QString, control);
    QFETCH(bool, sizeFields);
    QFETCH(QString, hint);
    open();
    child<QCheckBox>("chkOriginalImageSize")->setChecked(!sizeFields);
    auto* widget = child<QWidget>(control.section('|', 0, 0).toLatin1().constData());
    if (control.contains('|'))
        widget->setProperty("Hint", control);
    pointAt(widget);
    QCOMPARE(text(Application::instance()->Hint()), hint);
    QCOMPARE(child<QStatusBar>("StatusBar")->currentMessage(), hint);
    if (sizeFields && QTest::currentDataTag() == QLatin1String("label"))
        saveGrabs(m_window.get(), "main-window-size-fields-enabled");
}

void TestMainWindow::statusTextStaysUntilTheHintChanges() {
    open();
    auto* status = child<QStatusBar>("StatusBar");
    pointAt(child<QWidget>("btnStart"));
    ShowStatus("Searching for *.GIF...");
    pointAt(child<QWidget>("btnStart"));
    QCOMPARE(status->currentMessage(), "Searching for *.GIF...");
    pointAt(child<QWidget>("Drive"));
    QCOMPARE(status->currentMessage(), "Select a drive");
}

void TestMainWindow::menuHints() {
    open();
    auto* menu = child<QMenu>("mnuFile");
    menu->popup(m_window->mapToGlobal(QPoint(10, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QStringList seen;
    for (const char* item : {"mnuFile_Start", "mnuFile_Exit"}) {
        menu->setActiveAction(child<QAction>(item));
        idle(); // the pointer rests elsewhere; the menu's hint stands
        seen << child<QStatusBar>("StatusBar")->currentMessage();
    }
    menu->hide();
    seen << child<QStatusBar>("StatusBar")->currentMessage();
    QCOMPARE(seen, (QStringList{"Starts the search", "Exit Pictavo", ""}));
}

void TestMainWindow::help_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("command"); // -1: no request
    QTest::addColumn<int>("data");
    QTest::newRow("F1 in the width field") << "F1 ediImageWidth" << int(HELP_CONTEXTPOPUP) << 10400;
    QTest::newRow("context help on Start!") << "click btnStart" << int(HELP_CONTEXTPOPUP) << 10600;
    QTest::newRow("context help on a label") << "click staImageWidth" << -1 << 0;
    QTest::newRow("F1 on a menu item") << "F1 mnuHelp_About" << int(HELP_CONTEXTPOPUP) << 0;
    QTest::newRow("Help, Contents") << "menu mnuHelp_Contents" << int(HELP_CONTENTS) << 0;
    QTest::newRow("Help, What is this?") << "menu mnuHelp_WhatIsThis" << int(HELP_CONTEXT) << 1000;
}

void TestMainWindow::help() {
    QFETCH(QString, how);
    QFETCH(int, command);
    QFETCH(int, data);
    open();
    child<QCheckBox>("chkOriginalImageSize")->setChecked(false);
    const QString name = how.section(' ', 1);
    const QByteArray target = name.toLatin1();
    if (how.startsWith("menu")) {
        child<QAction>(target.constData())->trigger();
    } else if (how.startsWith("click")) {
        QTest::keyClick(m_window.get(), Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(QWhatsThis::inWhatsThisMode());
        QTest::mouseClick(child<QWidget>(target.constData()), Qt::LeftButton);
    } else if (auto* item = child<QAction>(target.constData())) {
        auto* menu = child<QMenu>("mnuHelp");
        menu->popup(m_window->mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        menu->setActiveAction(item);
        QTest::keyClick(menu, Qt::Key_F1);
        menu->hide();
    } else {
        child<QWidget>(target.constData())->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    }
    const auto& calls = m_shell->calls();
    QCOMPARE(int(calls.size()), command < 0 ? 0 : 1);
    if (command < 0)
        return;
    QCOMPARE(int(calls.front().command), command);
    QCOMPARE(int(calls.front().data), data);
    // Beside the executable, whatever the current directory is.
    std::string folder;
    QCOMPARE(platform::toDrivePath(QCoreApplication::applicationDirPath().toStdString(), folder),
             0);
    QCOMPARE(text(calls.front().path), text(folder + "\\Pictavo.hlp"));
}

void TestMainWindow::driveWithoutMedium() {
    open();
    QStringList messages;
    const auto answer = [&messages](QWidget* dialog) {
        messages << dialog->findChild<QLabel*>("Message")->text();
        modaldriver::answer(dialog, "Enter");
    };
    auto* drive = child<TDriveComboBox>("Drive");
    modaldriver::whenModal(answer);
    drive->setDrive('E');
    QCOMPARE(messages, QStringList{"Can't change to this drive. Maybe this drive is empty."});
    QVERIFY(!child<QWidget>("Directory")->isVisible());
    QVERIFY(!child<QWidget>("btnStart")->isEnabled());
    saveGrabs(m_window.get(), "main-window-drive-failed");
    drive->setDrive('D');
    QVERIFY(child<QWidget>("Directory")->isVisible());
    QVERIFY(child<QWidget>("btnStart")->isEnabled());
    QCOMPARE(messages.size(), 1);
}

void TestMainWindow::enterPressesStart_data() {
    QTest::addColumn<QString>("focus");
    for (const char* focus : {"Directory", "Drive", "ediFileName", "chkOriginalImageSize"})
        QTest::newRow(focus) << QString::fromLatin1(focus);
}

void TestMainWindow::enterPressesStart() {
    QFETCH(QString, focus);
    open({m_root.filePath("c/Pics").toStdString()});
    auto* list = child<TDirectoryListBox>("Directory");
    list->setItemIndex(0); // the drive's root, which Enter must not open
    QSignalSpy pressed(child<QPushButton>("btnStart"), &QPushButton::clicked);
    QString question;
    modaldriver::whenModal([&question](QWidget* dialog) {
        question = dialog->findChild<QLabel*>("Message")->text();
        modaldriver::answer(dialog, "No");
    });
    child<QWidget>(focus.toLatin1().constData())->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(question, "File succesfully created. Would you like to view it now?");
    QCOMPARE(text(list->Directory()), "C:\\Pics");
    QVERIFY(QFile::exists(m_root.filePath("c/Pics/index.html")));
    QFile::remove(m_root.filePath("c/Pics/index.html"));
    // The control that had the focus has it again, so the next key goes where it went before.
    QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(focus.toLatin1().constData()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(QChar(child<TDriveComboBox>("Drive")->Drive()), focus == "Drive" ? 'd' : 'c');
    if (focus == "Directory")
        QCOMPARE(list->itemIndex(), 1);
}

// After the error about the size fields the focus is back in the field.
void TestMainWindow::focusBackAfterAnError() {
    open({m_root.filePath("c/Pics").toStdString()});
    child<QCheckBox>("chkOriginalImageSize")->setChecked(false);
    auto* height = child<QLineEdit>("ediImageHeight");
    height->setText("0");
    height->setFocus();
    QString message;
    modaldriver::whenModal([&message](QWidget* dialog) {
        message = dialog->findChild<QLabel*>("Message")->text();
        modaldriver::answer(dialog, "OK");
    });
    QTest::keyClick(height, Qt::Key_Return);
    QVERIFY(message.startsWith("The value for Image-Height"));
    QTRY_COMPARE(QApplication::focusWidget(), height);
}

void TestMainWindow::settingsSavedAsTyped() {
    RegistrySandbox::setValue(Settings, "KeepSize", platform::RegSz, "0");
    open({m_root.filePath("c/Pics").toStdString()});
    for (const char* name : {"ediImageHeight", "ediImageWidth", "ediFileName"})
        child<QLineEdit>(name)->clear();
    QTest::keyClicks(child<QLineEdit>("ediImageHeight"), "12345");
    QTest::keyClicks(child<QLineEdit>("ediImageWidth"), "a b");
    QTest::keyClicks(child<QLineEdit>("ediFileName"), "page 1.html");
    child<QCheckBox>("chkOriginalImageSize")->setChecked(true);
    m_window.reset();
    QStringList saved;
    for (const char* name : {"CurPath", "ImageHeight", "ImageWidth", "Filename", "KeepSize"})
        saved << text(RegistrySandbox::value(Settings, name).bytes);
    QCOMPARE(saved, (QStringList{"C:\\Pics", "1234", "a b", "page 1.html", "1"}));
    QCOMPARE(RegistrySandbox::value(Settings, "WinWidth").status, 0);
}

void TestMainWindow::sizeFieldLimit_data() {
    QTest::addColumn<QString>("stored");
    // all: select all, end, back: Backspace, at:N, select:FROM,LENGTH, type:TEXT, paste:TEXT
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("expected");
    QTest::newRow("typing stops at 4") << ""
                                       << "type:123456"
                                       << "1234";
    QTest::newRow("a paste is cut to fit") << ""
                                           << "paste:87654321"
                                           << "8765";
    QTest::newRow("a paste over a longer stored value") << "123456"
                                                        << "all paste:87654321"
                                                        << "8765";
    QTest::newRow("a paste in the middle takes what fits") << "12"
                                                           << "at:1 paste:abcd"
                                                           << "1ab2";
    QTest::newRow("a longer stored value takes no typing") << "12345"
                                                           << "end type:6"
                                                           << "12345";
    QTest::newRow("nor a paste") << "12345"
                                 << "end paste:6"
                                 << "12345";
    QTest::newRow("but shortens") << "123456"
                                  << "end back back"
                                  << "1234";
    QTest::newRow("a character typed over one of a longer value is refused") << "12345"
                                                                             << "select:3,1 type:9"
                                                                             << "12345";
    QTest::newRow("typing over all of a longer value") << "12345"
                                                       << "all type:9"
                                                       << "9";
}

void TestMainWindow::sizeFieldLimit() {
    QFETCH(QString, stored);
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    RegistrySandbox::setValue(Settings, "KeepSize", platform::RegSz, "0");
    RegistrySandbox::setValue(Settings, "ImageHeight", platform::RegSz, stored.toStdString());
    open();
    auto* edit = child<QLineEdit>("ediImageHeight");
    QCOMPARE(edit->text(), stored);
    edit->setFocus();
    for (const QString& step : steps.split(' ')) {
        if (step == "all") {
            edit->selectAll();
        } else if (step == "end") {
            edit->end(false);
        } else if (step.startsWith("at:")) {
            edit->setCursorPosition(step.mid(3).toInt());
        } else if (step.startsWith("select:")) {
            edit->setSelection(step.section(':', 1).section(',', 0, 0).toInt(),
                               step.section(',', 1).toInt());
        } else if (step == "back") {
            QTest::keyClick(edit, Qt::Key_Backspace);
        } else if (step.startsWith("type:")) {
            QTest::keyClicks(edit, step.mid(5));
        } else {
            QGuiApplication::clipboard()->setText(step.mid(6));
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        }
    }
    QCOMPARE(edit->text(), expected);
}

void TestMainWindow::aboutWindow() {
    open();
    QPointer<QWidget> shown;
    QStringList seen;
    modaldriver::whenModal([&](QWidget* about) {
        shown = about;
        const auto* company = about->findChild<QLabel*>("staCompany");
        // Bold once the window is active.
        const bool bold = QTest::qWaitFor([company] { return company->font().bold(); });
        seen << about->windowTitle()
             << QString::number(about->width()) + "x" + QString::number(about->height())
             << about->focusWidget()->objectName() << QString::number(bold)
             << QString::number(QApplication::activeModalWidget() == about);
        saveGrabs(about, "about-window");
        modaldriver::pressKey(about, Qt::Key_Escape);
        seen << QString::number(about->isVisible());
        modaldriver::answer(about, "close");
    });
    child<QAction>("mnuHelp_About")->trigger();
    QCOMPARE(seen, (QStringList{"About", "322x267", "ediWebPage", "1", "1", "1"}));
    QVERIFY(!shown); // freed once closed
    QVERIFY(m_window->isEnabled());
}

int main(int argc, char** argv) {
    testsupport::TestEnvironment environment;
    Application application(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
