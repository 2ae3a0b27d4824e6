// Writes part of an output file, says "ready" and waits to be killed. Given a size, it writes
// that many bytes of 'n' instead, says "ready", commits, says "done" and waits.
// Usage: outputfile_writer DRIVE-PATH unnamed|named [SIZE]

#include "platform/files/OutputFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

void say(const char* word) {
    std::puts(word);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4)
        return 2;
    platform::OutputFile::allowUnnamedTemporaryFiles(std::strcmp(argv[2], "unnamed") == 0);
    platform::OutputFile file;
    if (file.create(argv[1]) != 0)
        return 1;
    // Without a size: more than one buffer, so that bytes reach the file.
    const std::string block(argc == 4 ? std::strtoul(argv[3], nullptr, 10) : 100 * 1024, 'n');
    if (file.write(block) != 0)
        return 1;
    say("ready");
    if (argc == 4) {
        if (file.commit() != 0)
            return 1;
        say("done");
    }
    for (;;)
        pause();
}
