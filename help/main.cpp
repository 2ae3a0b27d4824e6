#include "help/HelpCall.h"
#include "help/HelpChannel.h"
#include "help/HelpViewer.h"
#include "platform/session/SearchPath.h"
#include "platform/shell/ToolkitArguments.h"
#include "resources/ProgramIcon.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage =
    "Usage: pictavo-help FILE COMMAND DATA\n"
    "Shows Pictavo's help: FILE is the help file, COMMAND 3 shows its contents, 1 the topic\n"
    "with the help context DATA, 8 that topic as a small pop-up at the pointer, and 2 closes\n"
    "the viewer. A viewer that is already running shows the request itself.\n";

} // namespace

int main(int argc, char** argv) {
    // What the viewer starts, the browser for a help link, is looked up on PATH.
    platform::keepAbsoluteSearchPath();
    const HelpCall call = HelpCall::fromArguments(std::vector<std::string>(argv + 1, argv + argc),
                                                  HelpCall::takeMadeAt());
    // The viewer outlives the request; it must not keep the folder the user browses, and that
    // the program started it in, busy: a stick could not be unmounted. The file name is absolute.
    QDir::setCurrent(QDir::rootPath());
    if (call.usage) {
        std::fputs(Usage, stdout);
        return EXIT_SUCCESS;
    }
    const int status = call.error.isEmpty() ? EXIT_SUCCESS : 2;
    if (status != EXIT_SUCCESS)
        std::fprintf(stderr, "pictavo-help: %s\n%s", qPrintable(call.error), Usage);

    QString problem;
    const QString server = HelpChannel::serverPath(&problem);
    std::unique_ptr<QLockFile> lock;
    if (server.isEmpty()) {
        std::fprintf(stderr, "pictavo-help: %s; this request gets a viewer of its own\n",
                     qPrintable(problem));
    } else {
        HelpChannel::clearLockPath();
        lock = std::make_unique<QLockFile>(HelpChannel::lockPath());
        // Without the lock the worst case is a second viewer, which is still better than none.
        lock->tryLock(20000);
        QString answer;
        if (HelpChannel::deliver(call, answer, server)) {
            std::printf("%s\n", qPrintable(answer));
            return status;
        }
    }

    // The pop-up opens at the pointer, which only X11 tells; the request above needed no display.
    platform::ToolkitArguments toolkit(argc, argv);
    QApplication app(toolkit.count(), toolkit.values());
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(programIcon());
    HelpViewer viewer;
    HelpChannel channel([&viewer](const HelpCall& next) { return viewer.handle(next); });
    if (!server.isEmpty()) {
        channel.listen(server);
        lock->unlock();
    }
    QObject::connect(&viewer, &HelpViewer::finished, &app, &QCoreApplication::quit);
    viewer.handle(call);
    if (!viewer.isShowingAnything())
        return status;
    app.exec();
    return status;
}
