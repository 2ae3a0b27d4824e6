#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace platform {

// How long one process waits for another's lock on the registry database. Start-up and exit
// each make a handful of calls; rather than keep the user waiting once per call, they go on
// without the database. Waiting goes on while other processes get through, and a call that
// waited and got through ends the stretch, as does a while without waiting, such as a session
// between start-up and exit.
class LockWait {
public:
    // The write-ahead log, whose changes show other processes getting through.
    void watch(std::string walPath) { m_walPath = std::move(walPath); }

    // Sleeps for pause and returns true, or returns false at once when the stretch is over.
    bool wait(std::chrono::milliseconds pause);
    // SQLite's busy handler, given the LockWait: 1 to try again after a pause, 0 to give up.
    static int onBusy(void* lockWait, int attempts);
    // Ends the stretch when the call under way waited and then got through.
    void noteOutcome(int status);
    void reset();

private:
    bool mayWait();

    std::int64_t m_deadline = 0; // steady-clock ms; 0 while nothing is waiting
    bool m_waited = false;       // by the call under way
    std::string m_walPath;
    std::int64_t m_walMark = 0; // size and time of the WAL when last seen waiting
};

} // namespace platform
