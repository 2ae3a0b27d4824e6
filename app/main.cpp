#include "app/ErrorGuard.h"
#include "app/TApplication.h"
#include "resources/ProgramIcon.h"
#include "ui/MainWindowUnit.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    // Until the main window installs the silent policy, a failure is worth a line on stderr.
    SetErrorHandler([](std::exception_ptr error) {
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
    if (const QIcon icon = ProgramIcon(); !icon.isNull())
        application.setWindowIcon(icon);
    // The toolkit has taken its own options out of argv by now; the rest are host paths.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    application.setMainForm(new TMainWindow(arguments));
    return application.Run();
}
