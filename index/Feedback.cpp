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

std::string FileNameWithoutExtension(const std::string& fileName) {
    return std::string(FileNameWithoutExtensionView(fileName));
}

std::string_view FileNameWithoutExtensionView(std::string_view fileName) {
    const std::size_t separator = fileName.find_last_of(":\\");
    const std::size_t partStart = separator == std::string_view::npos ? 0 : separator + 1;
    if (partStart == fileName.size())
        return fileName;
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot < partStart)
        return fileName.substr(0, partStart);
    return fileName.substr(0, dot);
}
