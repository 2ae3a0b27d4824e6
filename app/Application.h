#pragma once

#include <QApplication>
#include <QPointer>

#include <functional>
#include <string>

class QMenuBar;
class TerminationSignals;

// The program's one application object: its title and icon, the help file, the application
// hint with the idle processing that keeps it on the control under the pointer, help for the
// control or menu item in question, the backstop of the silent error policy, and the run from
// the main window's showing to the end of the exit sequence.
class Application : public QApplication {
    Q_OBJECT

public:
    using HintHandler = std::function<void()>;

    Application(int& argc, char** argv);
    ~Application() override;

    static Application* instance();

    // Also the caption of message dialogs of the custom kind.
    std::string title() const;
    void setTitle(const std::string& title);

    // A drive path; empty until the main window sets it. Help requests need it.
    const std::string& HelpFile() const { return m_helpFile; }
    void setHelpFile(const std::string& helpFile) { m_helpFile = helpFile; }

    // The running executable's folder followed by "Pictavo.hlp", as a drive path.
    static std::string helpFileBesideExecutable();

    const std::string& Hint() const { return m_hint; }
    // Stores a different hint and calls the hint handler; an equal one changes nothing.
    void SetApplicationHint(const std::string& hint);
    void setOnHint(HintHandler handler) { m_onHint = std::move(handler); }

    // The window that Run shows and, once the loop has ended, hides and destroys. Closing it
    // by any means asks nothing and posts the quit request.
    QWidget* mainForm() const { return m_mainForm; }
    void setMainForm(QWidget* form);

    // Shows the main form, runs the event loop until the quit request, then runs the exit
    // sequence: the form is hidden and destroyed (its destructor saves what it keeps).
    int Run();

    // The quit request: the main loop ends when it takes it, not before.
    static void postQuitRequest();
    // A session that ends, or a termination signal: the loops end at once and the exit
    // sequence follows.
    void endSession();

    // Once each time the event queue has been emptied.
    void idle();

    // Sets the hint of the highlighted menu item while a menu of the bar is open, and the
    // empty hint when it closes.
    void watchMenuHints(QMenuBar* menuBar);

    // Everything after the first "|"; the whole hint without one.
    static std::string longHint(const std::string& hint);

    bool notify(QObject* receiver, QEvent* event) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Help for the control, or for the highlighted item of a menu, that F1 was pressed in.
    bool helpForKey(QObject* receiver);
    static void requestContextHelp(const QWidget* window, int helpContext);

    std::string m_helpFile;
    std::string m_hint;
    HintHandler m_onHint;
    QPointer<QWidget> m_mainForm;
    TerminationSignals* m_terminationSignals = nullptr;
};
