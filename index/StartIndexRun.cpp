#include "index/StartIndexRun.h"

#include "index/CImageLister.h"
#include "index/Feedback.h"
#include "platform/drives/DriveReading.h"
#include "platform/text/Text.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace {

constexpr std::string_view kBadSize =
    "The value for Image-Height or Image-Width is incorrect. Please enter a number from 1 to 9999";

std::optional<std::int32_t> imageSize(std::string_view text) {
    const std::optional<std::int32_t> value = platform::parseInteger(text);
    if (!value || *value < 1 || *value > 9999)
        return std::nullopt;
    return value;
}

} // namespace

void StartIndexRun(const IndexRequest& request) {
    std::int32_t height = 0;
    std::int32_t width = 0;
    if (!request.KeepOriginalSize) {
        const std::optional<std::int32_t> requestedHeight = imageSize(request.HeightText);
        if (!requestedHeight) {
            ShowErrorMessage(std::string(kBadSize));
            return;
        }
        const std::optional<std::int32_t> requestedWidth = imageSize(request.WidthText);
        if (!requestedWidth) {
            ShowErrorMessage(std::string(kBadSize));
            return;
        }
        height = *requestedHeight;
        width = *requestedWidth;
    }

    // The searches and the page all name one directory: one reading of the drives serves them.
    const platform::DriveReading reading;
    CImageLister lister;
    lister.Directory = request.Directory;
    lister.FileName = request.FileName;
    lister.ImageHeight = height;
    lister.ImageWidth = width;
    lister.Run();
}
