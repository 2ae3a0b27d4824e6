#pragma once

#include "platform/registry/LockWait.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

// The process's one connection to the user's registry database: finds and checks the file,
// moves a damaged or foreign one aside, and runs the key and value statements. Returns 0 or
// an error code everywhere.
//
// Under faults it keeps what is stored safe and the program responsive: a file it can read but
// not write is opened read-only, so reads still return what is stored and only writes fail;
// once the file could not be read, this process never writes it (it would put the defaults
// it fell back on over the real values); and waiting for another process's lock stops after
// a few seconds without progress, after which calls that would wait fail at once.
class RegistryDatabase {
public:
    static constexpr std::int64_t RootKeyId = 1;

    static RegistryDatabase& instance();

    ~RegistryDatabase();
    RegistryDatabase(const RegistryDatabase&) = delete;
    RegistryDatabase& operator=(const RegistryDatabase&) = delete;

    // $XDG_CONFIG_HOME/pictavo/registry.db, else ~/.config/pictavo/registry.db.
    static std::string filePath();

    int ensureOpen();
    // Also forgets the failures above, so that the next operation tries afresh.
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // The key that the levels name below parent; missing keys are created when create is
    // true, all in one transaction, and give ErrorFileNotFound otherwise.
    int findKey(std::int64_t parent, const std::vector<std::string_view>& levels, bool create,
                std::int64_t& key);

    int queryValue(std::int64_t key, std::string_view name, std::uint32_t& type, std::size_t& size);
    int readValue(std::int64_t key, std::string_view name, std::uint32_t& type, std::string& data);
    int setValue(std::int64_t key, std::string_view name, std::uint32_t type,
                 std::string_view data);

    // Ends the current stretch of waiting when the call waited and then got through.
    void noteOutcome(int status) { m_lockWait.noteOutcome(status); }

private:
    enum class Verdict { Usable, NotRegistry, Failed };

    RegistryDatabase() = default;

    void disconnect();
    int openFile(const std::string& file);
    int openChecked(const std::string& file, bool mayMoveAside);
    int openReadOnly(const std::string& file);
    Verdict tryOpen(const std::string& file, int& status);
    Verdict connect(const std::string& uri, int flags, int& status);
    Verdict inspect(bool& empty, int& status);
    Verdict checkAndPrepare(int& status);
    int readFailed(int status);
    int createSchema();
    int prepareStatements();
    int lookupChild(std::int64_t parent, std::string_view name, std::int64_t& child);
    int insertChild(std::int64_t parent, std::string_view name, std::int64_t& child);
    int createKey(std::int64_t parent, const std::vector<std::string_view>& levels,
                  std::int64_t& key);
    int execute(const char* sql);
    int queryInteger(const char* sql, std::int64_t& value);
    int queryText(const char* sql, std::string& value);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_lookupChild = nullptr;
    sqlite3_stmt* m_insertChild = nullptr;
    sqlite3_stmt* m_queryValue = nullptr;
    sqlite3_stmt* m_readValue = nullptr;
    sqlite3_stmt* m_setValue = nullptr;

    int m_openFailure = 0; // why the file could not be opened; not retried
    int m_writeError = 0;  // why this process must not write: read-only, or a read failed
    LockWait m_lockWait;
};

} // namespace platform
