#include "platform/drives/RootProbe.h"

#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <thread>

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

std::shared_ptr<Look> startLook(const std::string& link) {
    LooksUnderWay& looks = looksUnderWay();
    std::lock_guard lock(looks.mutex);
    if (const auto found = looks.byLink.find(link); found != looks.byLink.end())
        return found->second;
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
        return look; // no thread to be had: unanswered, like a look that hangs
    }
    looks.byLink.emplace(link, look);
    worker.detach();
    return look;
}

} // namespace

std::vector<RootProbe> probeRoots(const std::vector<std::string>& links,
                                  std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    std::vector<std::shared_ptr<Look>> looks;
    looks.reserve(links.size());
    for (const std::string& link : links)
        looks.push_back(startLook(link));
    std::vector<RootProbe> result;
    result.reserve(looks.size());
    for (const std::shared_ptr<Look>& look : looks) {
        std::unique_lock lock(look->mutex);
        look->answered.wait_until(lock, deadline, [&look] { return look->done; });
        result.push_back(look->done ? look->result : RootProbe{});
    }
    return result;
}

} // namespace platform::host
