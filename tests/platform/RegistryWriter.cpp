// Writes a burst of registry values for the crash and concurrency tests: value <prefix><i>
// into key Software\Burst\<i mod 7>, printing each name on its own line once the write has
// returned. A count of 0 writes until the process is killed. With a gate file, the first write
// waits until the lock another process holds on that file is released, so that several writers
// start at the same moment.
// Usage: registry_writer PREFIX COUNT [GATE]
#include "platform/registry/Registry.h"
#include "tests/platform/RegistryBurst.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/file.h>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const std::string prefix = argv[1];
    const unsigned long count = std::strtoul(argv[2], nullptr, 10);
    if (argc > 3) {
        const int gate = ::open(argv[3], O_RDONLY | O_CLOEXEC);
        if (gate < 0 || ::flock(gate, LOCK_SH) != 0)
            return 2;
    }
    for (unsigned i = 0; count == 0 || i < count; ++i) {
        const std::string name = prefix + std::to_string(i);
        platform::RegKey key = platform::RegNoKey;
        int status =
            platform::regCreateKey(platform::RegCurrentUser, registryburst::keyPathFor(i), key);
        if (status == 0) {
            status = platform::regSetValue(key, name, platform::RegBinary,
                                           registryburst::bytesFor(name));
            platform::regCloseKey(key);
        }
        if (status != 0) {
            std::fprintf(stderr, "writing %s failed with error %d\n", name.c_str(), status);
            return 1;
        }
        std::printf("%s\n", name.c_str());
        std::fflush(stdout);
    }
    return 0;
}
