#include "platform/errors/Faults.h"

namespace platform {

namespace {
FaultSource* s_source = nullptr;
}

FaultSource* FaultSource::install(FaultSource* source) {
    FaultSource* previous = s_source;
    s_source = source;
    return previous;
}

FaultSource* FaultSource::current() {
    return s_source;
}

int injectedFault(Operation operation) {
    return s_source ? s_source->faultFor(operation) : 0;
}

} // namespace platform
