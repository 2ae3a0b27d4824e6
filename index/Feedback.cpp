#include "index/Feedback.h"

#include "index/FeedbackBackend.h"

void ShowStatus(const std::string& text) {
    if (FeedbackBackend* backend = FeedbackBackend::current())
        backend->showStatus(text);
}

void ShowErrorMessage(const std::string& text) {
    if (FeedbackBackend* backend = FeedbackBackend::current())
        backend->showErrorMessage(text);
}

bool AskYesNo(const std::string& text) {
    FeedbackBackend* backend = FeedbackBackend::current();
    return backend && backend->askYesNo(text);
}

void SetBusyCursor() {
    if (FeedbackBackend* backend = FeedbackBackend::current())
        backend->setBusyCursor();
}

void RestoreCursor() {
    if (FeedbackBackend* backend = FeedbackBackend::current())
        backend->restoreCursor();
}

void notifyPageWritten(const std::string& path) {
    if (FeedbackBackend* backend = FeedbackBackend::current())
        backend->pageWritten(path);
}

std::string FileNameWithoutExtension(const std::string& fileName) {
    return std::string(fileNameWithoutExtensionView(fileName));
}

std::string_view fileNameWithoutExtensionView(std::string_view fileName) {
    // One pass from the end: a page names every picture once, and names end in their
    // extension.
    std::size_t dot = std::string_view::npos;
    std::size_t partStart = 0;
    for (std::size_t i = fileName.size(); i-- > 0;) {
        const char c = fileName[i];
        if (c == '.' && dot == std::string_view::npos) {
            dot = i;
        } else if (c == ':' || c == '\\') {
            partStart = i + 1;
            break;
        }
    }
    if (partStart == fileName.size())
        return fileName;
    if (dot == std::string_view::npos)
        return fileName.substr(0, partStart);
    return fileName.substr(0, dot);
}
