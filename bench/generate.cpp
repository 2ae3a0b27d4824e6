// Fills a directory with a benchmark's entries: about 60 % pictures with mixed-case
// extensions, the rest other files, near misses that must not be listed, a few
// subdirectories, and some non-ASCII names. Files are empty. The same count always gives the
// same names, so a directory is generated once and reused.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kPictureExtensions[] = {".jpg", ".JPG", ".jpeg", ".JPEG", ".Jpg",
                                          ".gif", ".GIF", ".Gif",  ".jPeG", ".JpG"};
const char* const kOtherExtensions[] = {".png", ".txt", ".mp4", ".CR2", ".html", ".tif", ".xmp"};
// Names that end close to a picture's but must not match.
const char* const kNearMisses[] = {".jpg.txt", ".jpgx",  ".jpe",     "_jpg",
                                   ".gi",      ".jpeg~", ".JPG.bak", ".gif.xmp"};
const char* const kStems[] = {"IMG_",
                              "DSC",
                              "photo-",
                              "Urlaub ",
                              "\xc3\x9c"
                              "berfahrt_",
                              "holiday",
                              "scan_",
                              "\xd1\x84\xd0\xbe\xd1\x82\xd0\xbe_",
                              "Caf\xc3\xa9-",
                              "\xe5\x86\x99\xe7\x9c\x9f",
                              "a&b's ",
                              "Pic"};

std::uint64_t s_state = 0x9E3779B97F4A7C15ull;

std::uint64_t nextRandom() {
    s_state ^= s_state << 13;
    s_state ^= s_state >> 7;
    s_state ^= s_state << 17;
    return s_state;
}

template <typename T, std::size_t N>
const char* pick(const T (&items)[N]) {
    return items[nextRandom() % N];
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pictavo-bench-generate DIR COUNT\n");
        return 2;
    }
    const std::string directory = argv[1];
    const long count = std::strtol(argv[2], nullptr, 10);
    if (count <= 0) {
        std::fprintf(stderr, "COUNT must be a positive number\n");
        return 2;
    }
    if (mkdir(directory.c_str(), 0755) != 0 && errno != EEXIST) {
        std::perror(directory.c_str());
        return 1;
    }

    long pictures = 0;
    std::string path;
    for (long i = 0; i < count; ++i) {
        const unsigned kind = static_cast<unsigned>(nextRandom() % 1000);
        char number[32];
        std::snprintf(number, sizeof number, "%07ld", i);
        path = directory;
        path += '/';
        path += pick(kStems);
        path += number;
        if (kind < 600) {
            path += pick(kPictureExtensions);
            ++pictures;
        } else if (kind < 850) {
            path += pick(kOtherExtensions);
        } else if (kind < 998) {
            path += pick(kNearMisses);
        } else {
            // A few subdirectories, half of them named like pictures: listed all the same.
            if (kind == 999) {
                path += ".gif";
                ++pictures;
            }
            if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
                std::perror(path.c_str());
                return 1;
            }
            continue;
        }
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (file < 0) {
            std::perror(path.c_str());
            return 1;
        }
        close(file);
    }
    std::printf("%ld entries, %ld pictures\n", count, pictures);
    return 0;
}
