#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {

// A private folder for one fuzz run, removed with everything in it when the run ends. It is
// memory-backed when the machine has /dev/shm: files that wait for the disk on every write
// would slow each input down a hundredfold.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* name) {
        m_path = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
        m_path.append(name).append("-XXXXXX");
        if (!mkdtemp(m_path.data()))
            std::abort();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace fuzz
