#include "platform/testing/FaultInjector.h"

namespace platform {

FaultInjector::FaultInjector()
    : m_previous(FaultSource::install(this)) {}

FaultInjector::~FaultInjector() {
    FaultSource::install(m_previous);
}

void FaultInjector::fail(Operation operation, int errorCode) {
    Rule& rule = m_rules[index(operation)];
    rule.errorCode = errorCode;
    rule.countdown = 0;
}

void FaultInjector::failNth(Operation operation, int n, int errorCode) {
    Rule& rule = m_rules[index(operation)];
    rule.errorCode = errorCode;
    rule.countdown = n;
}

int FaultInjector::calls(Operation operation) const {
    return m_rules[index(operation)].calls;
}

int FaultInjector::faultFor(Operation operation) {
    Rule& rule = m_rules[index(operation)];
    ++rule.calls;
    if (rule.errorCode == 0)
        return 0;
    if (rule.countdown == 0)
        return rule.errorCode;
    if (--rule.countdown > 0)
        return 0;
    const int code = rule.errorCode;
    rule.errorCode = 0;
    return code;
}

} // namespace platform
