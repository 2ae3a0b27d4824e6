// Fills a directory with a benchmark's entries: about 60 % pictures with mixed-case
// extensions, the rest other files, near misses that must not be listed, a few
// subdirectories, and some non-ASCII names. Files are empty. The same count always gives the
// same names, so a directory is generated once and reused.
//
// With --twins, names come in threes that differ only in case (resume.jpg, Resume.JPG,
// RESUME.jpg) and share long starts (IMG_0000001.JPG, "Holiday 2024 - Lake Garda - ..."),
// a tenth of them beyond ASCII: the names a camera, a scanner and a careless copy leave.
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

// One stem in three spellings, lower, title and upper case.
struct Twins {
    const char* spelling[3];
};
const Twins kAsciiTwins[] = {
    {{"img_", "Img_", "IMG_"}},
    {{"dsc_", "Dsc_", "DSC_"}},
    {{"pxl_20240615_", "Pxl_20240615_", "PXL_20240615_"}},
    {{"holiday 2024 - lake garda - day 3 - ", "Holiday 2024 - Lake Garda - Day 3 - ",
      "HOLIDAY 2024 - LAKE GARDA - DAY 3 - "}},
    {{"resume", "Resume", "RESUME"}},
    {{"scan of the tax return ", "Scan Of The Tax Return ", "SCAN OF THE TAX RETURN "}},
};
const Twins kOtherTwins[] = {
    {{"\xc3\xa9t\xc3\xa9 ", "\xc3\x89t\xc3\xa9 ", "\xc3\x89T\xc3\x89 "}},
    {{"\xc3\xbc"
      "berfahrt_",
      "\xc3\x9c"
      "berfahrt_",
      "\xc3\x9c"
      "BERFAHRT_"}},
    {{"\xd1\x84\xd0\xbe\xd1\x82\xd0\xbe ", "\xd0\xa4\xd0\xbe\xd1\x82\xd0\xbe ",
      "\xd0\xa4\xd0\x9e\xd0\xa2\xd0\x9e "}},
};
const char* const kTwinPictures[][3] = {
    {".jpg", ".Jpg", ".JPG"}, {".jpeg", ".Jpeg", ".JPEG"}, {".gif", ".Gif", ".GIF"}};
const char* const kTwinOthers[][3] = {{".png", ".Png", ".PNG"},
                                      {".jpg.txt", ".Jpg.txt", ".JPG.TXT"}};

std::uint64_t s_state = 0x9E3779B97F4A7C15ull;

std::uint64_t nextRandom() {
    s_state ^= s_state << 13;
    s_state ^= s_state >> 7;
    s_state ^= s_state << 17;
    return s_state;
}

template <typename T, std::size_t N>
const T& pick(const T (&items)[N]) {
    return items[nextRandom() % N];
}

bool createFile(const std::string& path) {
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0) {
        std::perror(path.c_str());
        return false;
    }
    close(file);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool twins = argc == 4 && std::strcmp(argv[1], "--twins") == 0;
    if (argc != 3 && !twins) {
        std::fprintf(stderr, "usage: pictavo-bench-generate [--twins] DIR COUNT\n");
        return 2;
    }
    const std::string directory = argv[argc - 2];
    const long count = std::strtol(argv[argc - 1], nullptr, 10);
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
    const Twins* stem = nullptr;
    unsigned kind = 0;
    for (long i = 0; i < count; ++i) {
        if (twins) {
            // Each three in a row share stem, number and kind, and differ in case.
            const int spelling = static_cast<int>(i % 3);
            if (spelling == 0) {
                stem = nextRandom() % 10 ? &pick(kAsciiTwins) : &pick(kOtherTwins);
                kind = static_cast<unsigned>(nextRandom() % 1000);
            }
            char number[32];
            std::snprintf(number, sizeof number, "%07ld", i / 3);
            path = directory;
            path += '/';
            path += stem->spelling[spelling];
            path += number;
            const bool picture = kind < 600;
            path += picture ? kTwinPictures[kind % 3][spelling] : kTwinOthers[kind % 2][spelling];
            pictures += picture;
            if (!createFile(path))
                return 1;
            continue;
        }
        kind = static_cast<unsigned>(nextRandom() % 1000);
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
        if (!createFile(path))
            return 1;
    }
    std::printf("%ld entries, %ld pictures\n", count, pictures);
    return 0;
}
