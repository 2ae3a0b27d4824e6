#include "index/CImageLister.h"

#include "index/CHTMLOutput.h"
#include "index/Feedback.h"
#include "platform/files/FileSearch.h"
#include "platform/files/SearchCache.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 3> kMasks = {"*.JPEG", "*.JPG", "*.GIF"};

constexpr std::string_view kNoDirectory = "Please select a directory to search in and try again.";
constexpr std::string_view kNoImages =
    "Sorry, but Pictavo can't find any file (*.JPG,*.JPEG or *.GIF) in the selected directory. "
    "Please select a directory that contains Images.";

} // namespace

void CImageLister::Run() {
    if (Directory.empty()) {
        ShowErrorMessage(std::string(kNoDirectory));
        return;
    }
    SetBusyCursor();
    try {
        if (Directory.back() == '\\')
            Directory.pop_back();

        {
            // The three searches read the directory from the kernel once between them.
            platform::SearchCache cache;
            for (std::string_view mask : kMasks) {
                std::string status = "Searching for ";
                status.append(mask).append("...");
                ShowStatus(status);
                AddMatches(mask);
            }
        }
        Files.sort();

        if (Files.count() > 0) {
            CHTMLOutput output;
            output.Directory = Directory;
            output.FileName = FileName;
            output.ImageHeight = ImageHeight;
            output.ImageWidth = ImageWidth;
            output.WriteIndex(Files);
        } else {
            RestoreCursor();
            ShowErrorMessage(std::string(kNoImages));
        }
    } catch (...) {
        // Whoever handles the error must not be left with the hourglass.
        RestoreCursor();
        throw;
    }
    RestoreCursor();
}

void CImageLister::AddMatches(std::string_view mask) {
    std::string pattern;
    pattern.reserve(Directory.size() + 1 + mask.size());
    pattern.append(Directory).append(1, '\\').append(mask);

    platform::FileSearch search(pattern);
    platform::FindData entry;
    while (search.next(entry))
        Files.append(entry.name);
}
