#include "guard/ErrorGuard.h"

#include "guard/MouseCapture.h"

namespace {
ErrorHandler::Function& installedHandler() {
    static ErrorHandler::Function handler;
    return handler;
}
} // namespace

ErrorHandler::Function ErrorHandler::install(Function handler) {
    return std::exchange(installedHandler(), std::move(handler));
}

ErrorHandler::Function ErrorHandler::current() {
    return installedHandler();
}

void handleError(std::exception_ptr error) noexcept {
    try {
        endMouseCapture();
        // A copy, so a handler that installs another one does not destroy itself mid-call.
        const ErrorHandler::Function handler = installedHandler();
        if (handler)
            handler(error);
    } catch (...) {
    }
}
