#pragma once

#include <exception>
#include <functional>
#include <utility>

// Receives an error that escaped a guarded handler. An empty handler drops it silently.
using ErrorHandler = std::function<void(std::exception_ptr error)>;

// Installs the application's error handler and returns the one it replaces. There is none
// until the application installs its policy.
ErrorHandler SetErrorHandler(ErrorHandler handler);

// Ends any mouse capture and hands the error to the application's error handler. Whatever the
// handler itself raises is dropped: nothing may leave here.
void HandleError(std::exception_ptr error) noexcept;

// Runs a handler so that nothing it raises reaches the toolkit. The rest of the handler after
// the failure is skipped; what it had changed stays changed. True when it finished.
template <typename Handler>
bool RunGuarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        HandleError(std::current_exception());
        return false;
    }
}
