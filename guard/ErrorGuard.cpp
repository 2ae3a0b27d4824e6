#include "guard/ErrorGuard.h"

#include "guard/MouseCapture.h"

namespace {
ErrorHandler& installedHandler() {
    static ErrorHandler handler;
    return handler;
}
} // namespace

ErrorHandler SetErrorHandler(ErrorHandler handler) {
    return std::exchange(installedHandler(), std::move(handler));
}

void HandleError(std::exception_ptr error) noexcept {
    try {
        EndMouseCapture();
        // A copy, so a handler that installs another one does not destroy itself mid-call.
        const ErrorHandler handler = installedHandler();
        if (handler)
            handler(error);
    } catch (...) {
    }
}
