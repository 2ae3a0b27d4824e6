#include "platform/drives/RootProbe.h"

#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <utility>

namespace platform::host {

namespace {

struct Look {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    RootProbe result;
};

// The looks still under way, by link. Never destroyed: a worker blocked on a hung mount may
// finish while the process exits.
struct LooksUnderWay {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<Look>> byLink;
};

LooksUnderWay& looksUnderWay() {
    static auto* instance = new LooksUnderWay;
    return *instance;
}

RootProbe lookAt(const std::string& link) {
    RootProbe probe;
    probe.answered = true;
    struct stat info {};
    if (stat(link.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return probe;
    if (char* resolved = ::realpath(link.c_str(), nullptr)) {
        probe.realPath = resolved;
        std::free(resolved);
        probe.isDirectory = true;
    }
    return probe;
}

// The look at link, and whether it was started by an earlier call.
std::pair<std::shared_ptr<Look>, bool> startLook(const std::string& link) {
    LooksUnderWay& looks = looksUnderWay();
    std::lock_guard lock(looks.mutex);
    if (const auto found = looks.byLink.find(link); found != looks.byLink.end())
        return {found->second, true};
    auto look = std::make_shared<Look>();
    std::thread worker;
    try {
        worker = std::thread([look, link] {
            RootProbe result = lookAt(link);
            {
                std::lock_guard done(look->mutex);
                look->result = std::move(result);
                look->done = true;
            }
            look->answered.notify_all();
            LooksUnderWay& all = looksUnderWay();
            std::lock_guard lock(all.mutex);
            if (const auto found = all.byLink.find(link);
                found != all.byLink.end() && found->second == look)
                all.byLink.erase(found);
        });
    } catch (const std::system_error&) {
        return {look, false}; // no thread to be had: unanswered, like a look that hangs
    }
    looks.byLink.emplace(link, look);
    worker.detach();
    return {look, false};
}

} // namespace

std::vector<RootProbe> probeRoots(const std::vector<std::string>& links,
                                  std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    std::vector<std::pair<std::shared_ptr<Look>, bool>> looks;
    looks.reserve(links.size());
    for (const std::string& link : links)
        looks.push_back(startLook(link));
    std::vector<RootProbe> result;
    result.reserve(looks.size());
    for (const auto& [look, earlier] : looks) {
        std::unique_lock lock(look->mutex);
        // A look an earlier call started has had its time already: only a new one is waited
        // for, so a hung mount costs the bound once, not on every change of directory.
        if (!earlier)
            look->answered.wait_until(lock, deadline, [&look] { return look->done; });
        result.push_back(look->done ? look->result : RootProbe{});
    }
    return result;
}

} // namespace platform::host
