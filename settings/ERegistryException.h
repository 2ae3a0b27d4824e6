#pragma once

#include <stdexcept>
#include <string>

// The error the settings store raises when a key or value cannot be used; the message names
// what failed.
class ERegistryException : public std::runtime_error {
public:
    explicit ERegistryException(const std::string& message);
};
