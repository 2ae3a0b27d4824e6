#include "app/Application.h"
#include "guard/ErrorGuard.h"
#include "platform/shell/ToolkitArguments.h"
#include "resources/ProgramIcon.h"
#include "ui/MainWindowUnit.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    // Answered before a display is needed, so scripts and packaging checks can ask.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::fputs("pictavo 1.0\n", stdout);
        return 0;
    }
    platform::ToolkitArguments toolkit(argc, argv);
    Application application(toolkit.count(), toolkit.values());
    // Until the main window installs the silent policy, a failure is worth a line on stderr.
    ErrorHandler::install([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "pictavo: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "pictavo: unknown error\n");
        }
    });
    application.setTitle("Zelmar Pictavo");
    // Without it the platform's default icon stays.
    if (const QIcon icon = programIcon(); !icon.isNull())
        application.setWindowIcon(icon);
    // The toolkit has taken its own options out of argv by now; the rest are host paths.
    const std::vector<std::string> arguments(toolkit.values() + 1,
                                             toolkit.values() + toolkit.count());
    application.setMainForm(new TMainWindow(arguments));
    return application.Run();
}
