#include "cli/CommandLine.h"
#include "cli/ConsoleFeedback.h"
#include "index/StartIndexRun.h"
#include "platform/drives/Paths.h"
#include "platform/errors/EInOutError.h"
#include "platform/errors/ErrorCodes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: pictavo-index [--height H --width W] [--output NAME] [--open] DIR\n";

constexpr const char* kHelp =
    "Writes an HTML picture index of the directory DIR: every entry matching *.JPEG, *.JPG\n"
    "or *.GIF (case ignored; subdirectories are not searched), sorted without regard to case\n"
    "in the user's locale, in a three-column table with each file name above its picture.\n"
    "The page is written into DIR and replaces an existing file of the same name.\n"
    "\n"
    "Options:\n"
    "  --height H     height of every picture in pixels, a number from 1 to 9999\n"
    "  --width W      width of every picture in pixels, a number from 1 to 9999\n"
    "                 Give both or neither; without them the pictures keep their own size.\n"
    "                 Leading blanks, a sign (+80) and hexadecimal after a dollar sign ($50)\n"
    "                 are accepted.\n"
    "  --output NAME  name of the page inside DIR (default: index.html); it may hold a\n"
    "                 relative path with '\\' or '/' between its parts\n"
    "  --open         open the finished page in the desktop's default viewer\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "  --             end of the options: the next argument is DIR even if it starts with '-'\n"
    "Options with a value also take the form --option=VALUE.\n"
    "\n"
    "Output:\n"
    "  Progress texts go to standard error, one a line. An error goes to standard error\n"
    "  after \"pictavo-index: \". On success the path of the written page is printed on\n"
    "  standard output.\n"
    "\n"
    "Exit status:\n"
    "  0  the page was written\n"
    "  1  the run failed: a size is not a number from 1 to 9999 or only one was given, DIR\n"
    "     is missing, unreadable or holds no picture, NAME is empty, the page could not be\n"
    "     written, or the output could not be written\n"
    "     A page that could not be written leaves an existing page as it was, with one\n"
    "     exception: where DIR takes no new file but the page may be written, the finished\n"
    "     page is copied over the old one, and a run that fails or is killed during that\n"
    "     copy can leave a page that is part new, part old.\n"
    "  2  bad arguments: an unknown option, an option without its value or given twice, no\n"
    "     DIR or more than one\n";

// Output that cannot be written fails the run, so that a script never takes a lost result
// for a finished page. Returns the exit status.
int finish(int status, bool textLost = false) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "pictavo-index: cannot write to standard output: %s\n",
                     std::strerror(errno));
        return status == 0 ? 1 : status;
    }
    return status == 0 && textLost ? 1 : status;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "pictavo-index: %s\n%sTry 'pictavo-index --help' for more information.\n",
                 message.c_str(), kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const CommandLine line = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (line.help) {
        std::fputs(kUsage, stdout);
        std::fputs("\n", stdout);
        std::fputs(kHelp, stdout);
        return finish(0);
    }
    if (!line.error.empty())
        return usageError(line.error);
    if (line.version) {
        std::fputs("pictavo-index 1.0\n", stdout);
        return finish(0);
    }

    ConsoleFeedback feedback(stderr, line.open);
    FeedbackBackend::install(&feedback);
    try {
        IndexRequest request;
        request.KeepOriginalSize = !line.height && !line.width;
        request.HeightText = line.height.value_or(std::string());
        request.WidthText = line.width.value_or(std::string());
        request.FileName = line.output;
        // An empty DIR reaches the run as no directory at all, which the run reports.
        const int error =
            line.directory->empty() ? 0 : platform::toDrivePath(*line.directory, request.Directory);
        if (error == platform::ErrorInvalidDrive || error == platform::ErrorInvalidName)
            feedback.showErrorMessage("'" + *line.directory +
                                      "' cannot be expressed as a drive path.");
        else if (error != 0)
            feedback.showErrorMessage("'" + *line.directory +
                                      "' cannot be indexed: " + EInOutError::messageFor(error));
        else
            StartIndexRun(request);
    } catch (const std::exception& error) {
        feedback.showErrorMessage(std::string("Unexpected error: ") + error.what());
    }
    FeedbackBackend::install(nullptr);

    if (!feedback.succeeded())
        return 1;
    std::string hostPath;
    if (platform::toHostPath(feedback.finishedPath(), hostPath) != 0)
        hostPath = feedback.finishedPath();
    std::fwrite(hostPath.data(), 1, hostPath.size(), stdout);
    std::fputc('\n', stdout);
    return finish(0, feedback.textLost());
}
