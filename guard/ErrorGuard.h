#pragma once

#include <exception>
#include <functional>
#include <utility>

// Where an error that escaped a guarded handler goes: the application installs its policy;
// until then, and with an empty handler, the error is dropped silently.
class ErrorHandler {
public:
    using Function = std::function<void(std::exception_ptr error)>;

    // Installs a handler and returns the one it replaces.
    static Function install(Function handler);
    static Function current();
};

// Ends any mouse capture and hands the error to the application's error handler. Whatever the
// handler itself raises is dropped: nothing may leave here.
void handleError(std::exception_ptr error) noexcept;

// Runs a handler so that nothing it raises reaches the toolkit. The rest of the handler after
// the failure is skipped; what it had changed stays changed. True when it finished.
template <typename Handler>
bool runGuarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        handleError(std::current_exception());
        return false;
    }
}
