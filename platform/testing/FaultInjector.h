#pragma once

#include "platform/errors/Faults.h"

#include <array>
#include <cstddef>

namespace platform {

// Makes chosen platform operations fail with a chosen error code while it lives; the
// previously installed source returns when it is destroyed.
class FaultInjector : public FaultSource {
public:
    FaultInjector();
    ~FaultInjector() override;
    FaultInjector(const FaultInjector&) = delete;
    FaultInjector& operator=(const FaultInjector&) = delete;

    // Every later call of the operation fails with errorCode; 0 lets it run again.
    void fail(Operation operation, int errorCode);
    // Only the nth call from now on fails (1 = the next one); earlier and later calls run.
    void failNth(Operation operation, int n, int errorCode);
    // How often the operation was asked for since the injector was installed.
    int calls(Operation operation) const;

    int faultFor(Operation operation) override;

private:
    struct Rule {
        int errorCode = 0;
        int countdown = 0; // 0: every call fails; n > 0: the nth call fails
        int calls = 0;
    };
    static std::size_t index(Operation operation) { return static_cast<std::size_t>(operation); }

    std::array<Rule, static_cast<std::size_t>(Operation::Count)> m_rules{};
    FaultSource* m_previous;
};

} // namespace platform
