#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace platform::host {

// What looking at one drive's device link told, links resolved.
struct RootProbe {
    bool answered = false;    // false: the file system did not answer within the bound
    bool isDirectory = false; // the link leads to a directory that exists
    std::string realPath;     // the directory it leads to, every link resolved; empty if none
};

// Looks at every link at once, each on a worker thread, and waits at most `bound` for them
// all: a FUSE or network mount that never answers holds a stat() for ever, and the caller is
// the user-interface thread. A look that has not answered by then is reported unanswered and
// left to finish on its own; a later call for the same link takes its answer if it has one by
// then, and does not wait for it or start another: a hung mount costs one blocked thread and
// one wait, not one per call.
std::vector<RootProbe> probeRoots(const std::vector<std::string>& links,
                                  std::chrono::milliseconds bound);

} // namespace platform::host
