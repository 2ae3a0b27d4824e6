#include "settings/ERegistryException.h"

ERegistryException::ERegistryException(const std::string& message)
    : std::runtime_error(message) {}
