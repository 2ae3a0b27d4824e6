#include "platform/registry/LockWait.h"

#include "platform/errors/ErrorCodes.h"
#include "platform/registry/RegistryFiles.h"

#include <thread>

namespace platform {

namespace {

constexpr std::int64_t BudgetMs = 2000;
constexpr std::int64_t RenewalMs = 10000;

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

bool LockWait::mayWait() {
    const std::int64_t now = nowMs();
    if (m_deadline == 0 || now >= m_deadline + RenewalMs)
        m_deadline = now + BudgetMs;
    return now < m_deadline;
}

bool LockWait::wait(std::chrono::milliseconds pause) {
    if (!mayWait())
        return false;
    m_waited = true;
    std::this_thread::sleep_for(pause);
    return true;
}

int LockWait::onBusy(void* lockWait, int attempts) {
    auto* self = static_cast<LockWait*>(lockWait);
    if (std::int64_t mark = 0; registryfiles::changeMark(self->m_walPath, mark)) {
        if (mark != self->m_walMark && self->m_deadline != 0)
            self->m_deadline = nowMs() + BudgetMs;
        self->m_walMark = mark;
    }
    return self->wait(std::chrono::milliseconds(attempts < 10 ? attempts + 1 : 20)) ? 1 : 0;
}

void LockWait::noteOutcome(int status) {
    if (m_waited && status != ErrorSharingViolation)
        m_deadline = 0;
    m_waited = false;
}

void LockWait::reset() {
    m_deadline = 0;
    m_waited = false;
}

} // namespace platform
