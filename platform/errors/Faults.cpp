#include "platform/errors/Faults.h"

namespace platform {

namespace {
FaultSource* s_source = nullptr;
}

FaultSource* installFaultSource(FaultSource* source) {
    FaultSource* previous = s_source;
    s_source = source;
    return previous;
}

int injectedFault(Operation operation) {
    return s_source ? s_source->faultFor(operation) : 0;
}

} // namespace platform
