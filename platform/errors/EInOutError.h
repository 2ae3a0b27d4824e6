#pragma once

#include <stdexcept>
#include <string>

// The error raised when a file or the current directory cannot be used; its message follows
// from the error code.
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(int errorCode);

    int ErrorCode() const noexcept { return m_errorCode; }

    // "File not found" for 2, "I/O error 21" for a code without a text of its own, ...
    static std::string messageFor(int errorCode);

private:
    int m_errorCode;
};
