// Drive-path resolution over a drive table of temporary folders. For any sequence of
// resolutions and directory changes:
// - a resolved path is absolute on a known drive, has no "." or ".." component and no doubled
//   or trailing separator except at a root, and resolving it again gives it back unchanged;
// - resolving changes nothing;
// - a directory change that succeeds makes the current directory that resolved path, with the
//   host's working directory on the matching folder; one that fails changes nothing, neither
//   the current directory, the host's, nor any drive's remembered directory.
//
// Input: records separated by NUL bytes; a record's first byte chooses resolve (even) or
// change (odd), the rest is the path (the record rC:\a resolves C:\a, c.. goes up).

#include "platform/drives/Paths.h"
#include "fuzz/Check.h"
#include "fuzz/Records.h"
#include "fuzz/ScratchFolder.h"
#include "platform/errors/ErrorCodes.h"
#include "platform/testing/FakeDriveTable.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// C: a folder tree, D: a folder inside it, E: no medium, F: a folder that does not exist.
constexpr std::array<char, 4> kLetters = {'C', 'D', 'E', 'F'};

struct Drives {
    fuzz::ScratchFolder folder{"pictavo-fuzz-paths"};
    std::string root = folder.path();
    platform::FakeDriveTable table;

    Drives() {
        for (const char* directory : {"/a", "/a/b", "/a/c d", "/e"})
            mkdir((root + directory).c_str(), 0700);
        const int file = open((root + "/a/file").c_str(), O_CREAT | O_WRONLY, 0600);
        close(file);
        table.map('C', root);
        table.map('D', root + "/a");
        table.mapNotReady('E');
        table.map('F', root + "/missing");
    }
};

Drives* drives = nullptr;

std::string hostWorkingDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

struct State {
    std::string current;
    std::string host;
    std::array<std::string, kLetters.size()> remembered; // what "X:" resolves to

    bool operator==(const State&) const = default;
};

State snapshot() {
    State state;
    state.current = platform::getCurrentDirectory();
    state.host = hostWorkingDirectory();
    for (std::size_t i = 0; i < kLetters.size(); ++i) {
        const char path[] = {kLetters[i], ':', '\0'};
        if (platform::resolveDrivePath(path, state.remembered[i]) != platform::NoError)
            state.remembered[i] = "(fails)";
    }
    return state;
}

void printState(const char* label, const State& state) {
    std::fprintf(stderr, "%s: current %s, host %s, remembered", label, state.current.c_str(),
                 state.host.c_str());
    for (const std::string& remembered : state.remembered)
        std::fprintf(stderr, " %s", remembered.c_str());
    std::fputc('\n', stderr);
}

void checkShape(std::string_view path) {
    fuzz::check(path.size() >= 3 && path[1] == ':' && path[2] == '\\',
                "a resolved path begins with a drive root");
    bool known = false;
    for (const char letter : kLetters)
        known = known || path[0] == letter;
    fuzz::check(known, "a resolved path is on a drive of the table");
    fuzz::check(path.find('/') == std::string_view::npos, "a resolved path uses '\\' only");
    if (path.size() == 3)
        return;
    for (const std::string_view part : fuzz::split(path.substr(3), '\\')) {
        fuzz::check(!part.empty(), "no doubled or trailing separator below the root");
        fuzz::check(part != "." && part != "..", "no . or .. component");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    drives = new Drives;
    std::atexit([] { delete drives; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every input starts at C:\ with nothing remembered, so a finding replays on its own.
    if (chdir(drives->root.c_str()) != 0)
        std::abort();
    platform::resetCurrentDirectories();

    const std::vector<std::string_view> parts = fuzz::records(data, size);
    if (parts.size() > 32)
        return 0;
    for (const std::string_view record : parts) {
        if (record.empty())
            continue;
        const bool change = (static_cast<unsigned char>(record[0]) & 1) != 0;
        const std::string_view path = record.substr(1);
        const State before = snapshot();
        std::string resolved;
        const int resolveError = platform::resolveDrivePath(path, resolved);
        if (resolveError == platform::NoError) {
            checkShape(resolved);
            std::string again;
            const int againError = platform::resolveDrivePath(resolved, again);
            if (againError != platform::NoError || again != resolved) {
                fuzz::printBytes("path", path);
                fuzz::printBytes("resolved", resolved);
                fuzz::printBytes("again", again);
                fuzz::fail("resolving a resolved path gives it back");
            }
        }
        if (!change) {
            fuzz::check(snapshot() == before, "resolving changes nothing");
            continue;
        }
        const int error = platform::setCurrentDirectory(path);
        const State after = snapshot();
        if (error != platform::NoError) {
            if (!(after == before)) {
                fuzz::printBytes("path", path);
                printState("before", before);
                printState("after", after);
                fuzz::fail("a failed directory change changes nothing");
            }
            continue;
        }
        std::string host;
        const bool mapped = platform::toHostPath(after.current, host) == platform::NoError;
        struct stat wanted {};
        struct stat actual {};
        const bool same = mapped && stat(host.c_str(), &wanted) == 0 && stat(".", &actual) == 0 &&
                          wanted.st_dev == actual.st_dev && wanted.st_ino == actual.st_ino;
        if (resolveError != platform::NoError || after.current != resolved || !same) {
            fuzz::printBytes("path", path);
            fuzz::printBytes("resolved", resolved);
            printState("after", after);
            fuzz::fail("a directory change enters the resolved path, on the host as well");
        }
    }
    return 0;
}
