// Writes part of an output file, says "ready" and waits to be killed.
// Usage: outputfile_writer DRIVE-PATH unnamed|named

#include "platform/files/OutputFile.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    platform::OutputFile::allowUnnamedTemporaryFiles(std::strcmp(argv[2], "unnamed") == 0);
    platform::OutputFile file;
    if (file.create(argv[1]) != 0)
        return 1;
    const std::string block(100 * 1024, 'n'); // more than one buffer reaches the file
    if (file.write(block) != 0)
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    for (;;)
        pause();
}
