// The least any directory listing can cost: one readdir pass that only counts the entries.
// Benchmarks compare pictavo-index against it.
#include <cstdio>
#include <dirent.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pictavo-bench-floor DIR\n");
        return 2;
    }
    DIR* directory = opendir(argv[1]);
    if (!directory) {
        std::perror(argv[1]);
        return 1;
    }
    unsigned long entries = 0;
    while (readdir(directory))
        ++entries;
    closedir(directory);
    std::printf("%lu\n", entries);
    return 0;
}
