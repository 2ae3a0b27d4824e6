#include "platform/registry/RegistryDatabase.h"

#include "platform/drives/HostPaths.h"
#include "platform/errors/ErrorCodes.h"
#include "platform/errors/Faults.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryFiles.h"

#include <sqlite3.h>

#include <chrono>
#include <initializer_list>

namespace platform {

namespace {

// "PCTV" in the header tells our database from any other SQLite file.
constexpr std::int64_t ApplicationId = 0x50435456;
constexpr std::int64_t SchemaVersion = 1;

// Key names are unique below their parent regardless of ASCII case; id 1 is the current
// user's root and the only key without a parent. Values are never NULL: the empty value is a
// blob of zero bytes.
constexpr const char* SchemaSql = R"sql(
CREATE TABLE reg_keys (
    id     INTEGER PRIMARY KEY,
    parent INTEGER REFERENCES reg_keys (id),
    name   TEXT NOT NULL COLLATE NOCASE,
    UNIQUE (parent, name),
    CHECK ((parent IS NULL) = (id = 1))
);
CREATE TABLE reg_values (
    key_id INTEGER NOT NULL REFERENCES reg_keys (id),
    name   TEXT NOT NULL COLLATE NOCASE,
    type   INTEGER NOT NULL CHECK (type BETWEEN 0 AND 4294967295),
    data   BLOB NOT NULL CHECK (typeof(data) = 'blob'),
    PRIMARY KEY (key_id, name)
) WITHOUT ROWID;
INSERT INTO reg_keys (id, parent, name) VALUES (1, NULL, '');
)sql";

bool isDamage(int rc) {
    const int primary = rc & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

int statusFromSqlite(int rc) {
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return NoError;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ErrorSharingViolation;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN:
        return ErrorAccessDenied;
    case SQLITE_NOMEM:
        return ErrorNotEnoughMemory;
    case SQLITE_FULL:
        return ErrorDiskFull;
    case SQLITE_TOOBIG:
        return ErrorInvalidParameter;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return RegErrorBadDatabase;
    default:
        return RegErrorIoFailed;
    }
}

// An empty view may carry a null pointer, which SQLite would store as NULL.
const char* nonNull(std::string_view text) {
    return text.data() ? text.data() : "";
}

int bindText(sqlite3_stmt* statement, int index, std::string_view text) {
    return sqlite3_bind_text64(statement, index, nonNull(text), text.size(), SQLITE_STATIC,
                               SQLITE_UTF8);
}

// Leaves the statement ready for its next use and drops its hold on the caller's buffers and
// on the read snapshot.
int finish(sqlite3_stmt* statement, int rc) {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return rc;
}

// A URI for SQLite: the path with every byte that could end it or start an escape encoded.
std::string uriOf(const std::string& file, const char* parameter) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const unsigned char c : file) {
        if (c == '%' || c == '?' || c == '#' || c <= 0x20 || c >= 0x7F) {
            uri += '%';
            uri += Hex[c >> 4];
            uri += Hex[c & 15];
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri + "?" + parameter;
}

} // namespace

RegistryDatabase& RegistryDatabase::instance() {
    static RegistryDatabase database;
    return database;
}

RegistryDatabase::~RegistryDatabase() {
    close();
}

std::string RegistryDatabase::filePath() {
    return host::configFolder() + "/registry.db";
}

int RegistryDatabase::ensureOpen() {
    if (m_db)
        return NoError;
    if (const int fault = injectedFault(Operation::RegOpenDatabase))
        return fault;
    if (m_openFailure == NoError)
        m_openFailure = openFile(filePath());
    return m_openFailure;
}

int RegistryDatabase::openFile(const std::string& file) {
    m_lockWait.watch(file + "-wal");
    const std::string folder = registryfiles::folderOf(file);
    if (const int status = registryfiles::makeFolder(folder))
        return status;

    // Serialises the check-and-repair of the file between processes. A process stuck inside
    // it does not block the others for long; they then open without repairing.
    const int folderFd = registryfiles::openFolder(folder);
    bool locked = false;
    for (;;) {
        const registryfiles::FolderLock attempt = registryfiles::tryLockFolder(folderFd);
        locked = attempt == registryfiles::FolderLock::Locked;
        if (attempt != registryfiles::FolderLock::Busy ||
            !m_lockWait.wait(std::chrono::milliseconds(10)))
            break;
    }
    m_lockWait.noteOutcome(locked ? NoError : ErrorSharingViolation);

    int status = ErrorAccessDenied;
    // Not even tried when the file is read-only: SQLite would leave side files as read-only.
    if (!registryfiles::exists(file) || registryfiles::mayWrite(file)) {
        if (locked)
            registryfiles::repairSideFiles(file);
        status = openChecked(file, locked);
    }
    // A file that can be read still holds the user's settings, even where it cannot change.
    if (status != NoError && status != ErrorSharingViolation && status != RegErrorBadDatabase &&
        registryfiles::exists(file) && openReadOnly(file) == NoError) {
        m_writeError = status;
        status = NoError;
    }
    registryfiles::closeFolder(folderFd); // also releases the lock
    return status;
}

int RegistryDatabase::openChecked(const std::string& file, bool mayMoveAside) {
    int status = NoError;
    Verdict verdict = tryOpen(file, status);
    if (verdict == Verdict::NotRegistry) {
        if (!mayMoveAside)
            return RegErrorBadDatabase;
        if (const int moved = registryfiles::moveAside(file))
            return moved;
        verdict = tryOpen(file, status);
    }
    if (verdict == Verdict::Usable)
        return NoError;
    return status != NoError ? status : RegErrorBadDatabase;
}

RegistryDatabase::Verdict RegistryDatabase::tryOpen(const std::string& file, int& status) {
    if (!registryfiles::exists(file))
        registryfiles::createPrivateFile(file);
    else if (!registryfiles::mayBeDatabase(file))
        return Verdict::NotRegistry;

    Verdict verdict = connect(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, status);
    if (verdict == Verdict::Usable)
        verdict = checkAndPrepare(status);
    if (verdict != Verdict::Usable)
        disconnect();
    return verdict;
}

int RegistryDatabase::openReadOnly(const std::string& file) {
    const bool walHasChanges = registryfiles::fileSize(file + "-wal") > 0;
    if (registryfiles::mayWrite(registryfiles::folderOf(file))) {
        // Made here, so that they are writable later on; SQLite would copy the file's mode.
        registryfiles::createPrivateFile(file + "-wal");
        registryfiles::createPrivateFile(file + "-shm");
    }
    int status = ErrorAccessDenied;
    // Without usable side files the file can only be read as one that nobody changes, which
    // is sound while no -wal holds changes that are not in it yet.
    for (const char* how : {"mode=ro", "immutable=1"}) {
        if (how[0] == 'i' && walHasChanges)
            break;
        bool empty = false;
        Verdict verdict = connect(uriOf(file, how), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, status);
        if (verdict == Verdict::Usable)
            verdict = inspect(empty, status);
        if (verdict == Verdict::Usable && !empty) {
            const int rc = prepareStatements();
            if (rc == SQLITE_OK)
                return NoError;
            status = statusFromSqlite(rc);
        }
        disconnect();
    }
    return status;
}

RegistryDatabase::Verdict RegistryDatabase::connect(const std::string& name, int flags,
                                                    int& status) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        status = statusFromSqlite(rc);
        return Verdict::Failed;
    }
    m_db = db;
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_handler(m_db, &LockWait::onBusy, &m_lockWait);
    return Verdict::Usable;
}

// What could not be read came back as its default; writing now would put that default over
// the stored value.
int RegistryDatabase::readFailed(int status) {
    if (status != NoError && status != ErrorFileNotFound && m_writeError == NoError)
        m_writeError = status;
    return status;
}

// Looks at the file before changing anything in it, so that a foreign database is moved
// aside exactly as it was.
RegistryDatabase::Verdict RegistryDatabase::inspect(bool& empty, int& status) {
    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    std::int64_t objects = 0;
    int rc = queryInteger("PRAGMA application_id", applicationId);
    if (rc == SQLITE_OK)
        rc = queryInteger("PRAGMA user_version", version);
    if (rc == SQLITE_OK)
        rc = queryInteger("SELECT count(*) FROM sqlite_schema", objects);
    if (isDamage(rc))
        return Verdict::NotRegistry;
    if (rc != SQLITE_OK) {
        status = statusFromSqlite(rc);
        return Verdict::Failed;
    }

    empty = applicationId == 0 && version == 0 && objects == 0;
    if (!empty) {
        if (applicationId != ApplicationId || version < 1)
            return Verdict::NotRegistry;
        if (version > SchemaVersion) {
            // Written by a newer program: keep it for that program rather than move it aside.
            status = RegErrorBadDatabase;
            return Verdict::Failed;
        }
        std::string check;
        rc = queryText("PRAGMA quick_check", check);
        if (isDamage(rc) || (rc == SQLITE_OK && check != "ok"))
            return Verdict::NotRegistry;
        if (rc != SQLITE_OK) {
            status = statusFromSqlite(rc);
            return Verdict::Failed;
        }
    }
    return Verdict::Usable;
}

RegistryDatabase::Verdict RegistryDatabase::checkAndPrepare(int& status) {
    bool empty = false;
    if (const Verdict verdict = inspect(empty, status); verdict != Verdict::Usable)
        return verdict;
    int rc = SQLITE_OK;

    // FULL makes every write that has returned survive a power loss as well as a crash of
    // the process; the store writes a handful of values per run, so the cost goes unnoticed.
    std::string journalMode;
    if (rc == SQLITE_OK)
        rc = queryText("PRAGMA journal_mode = WAL", journalMode);
    if (rc == SQLITE_OK)
        rc = execute("PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON");
    if (rc == SQLITE_OK && empty)
        rc = createSchema();
    if (rc == SQLITE_OK) {
        rc = prepareStatements();
        if ((rc & 0xff) == SQLITE_ERROR) // our mark, but not our tables
            return Verdict::NotRegistry;
    }
    if (isDamage(rc))
        return Verdict::NotRegistry;
    if (rc != SQLITE_OK) {
        status = statusFromSqlite(rc);
        return Verdict::Failed;
    }
    return Verdict::Usable;
}

int RegistryDatabase::createSchema() {
    int rc = execute("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return rc;
    std::int64_t objects = 0;
    rc = queryInteger("SELECT count(*) FROM sqlite_schema", objects);
    if (rc == SQLITE_OK && objects == 0)
        rc = execute(SchemaSql);
    if (rc == SQLITE_OK && objects == 0) {
        const std::string mark = "PRAGMA application_id = " + std::to_string(ApplicationId) +
                                 "; PRAGMA user_version = " + std::to_string(SchemaVersion);
        rc = execute(mark.c_str());
    }
    if (rc == SQLITE_OK)
        rc = execute("COMMIT");
    if (rc != SQLITE_OK)
        execute("ROLLBACK");
    return rc;
}

int RegistryDatabase::prepareStatements() {
    const struct {
        sqlite3_stmt** statement;
        const char* sql;
    } statements[] = {
        {&m_lookupChild, "SELECT id FROM reg_keys WHERE parent = ?1 AND name = ?2"},
        {&m_insertChild, "INSERT INTO reg_keys (parent, name) VALUES (?1, ?2)"},
        {&m_queryValue,
         "SELECT type, length(data) FROM reg_values WHERE key_id = ?1 AND name = ?2"},
        {&m_readValue, "SELECT type, data FROM reg_values WHERE key_id = ?1 AND name = ?2"},
        {&m_setValue, "INSERT INTO reg_values (key_id, name, type, data) VALUES (?1, ?2, ?3, ?4) "
                      "ON CONFLICT (key_id, name) DO UPDATE SET type = excluded.type, "
                      "data = excluded.data"},
    };
    for (const auto& entry : statements) {
        const int rc = sqlite3_prepare_v3(m_db, entry.sql, -1, SQLITE_PREPARE_PERSISTENT,
                                          entry.statement, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

void RegistryDatabase::close() {
    disconnect();
    m_openFailure = NoError;
    m_writeError = NoError;
    m_lockWait.reset();
}

void RegistryDatabase::disconnect() {
    for (sqlite3_stmt** statement :
         {&m_lookupChild, &m_insertChild, &m_queryValue, &m_readValue, &m_setValue}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

int RegistryDatabase::findKey(std::int64_t parent, const std::vector<std::string_view>& levels,
                              bool create, std::int64_t& key) {
    std::int64_t current = parent;
    for (const std::string_view level : levels) {
        std::int64_t child = 0;
        const int rc = lookupChild(current, level, child);
        if (rc == SQLITE_DONE) {
            if (!create)
                return ErrorFileNotFound;
            if (m_writeError)
                return m_writeError;
            return statusFromSqlite(createKey(parent, levels, key));
        }
        if (rc != SQLITE_ROW)
            return readFailed(statusFromSqlite(rc));
        current = child;
    }
    key = current;
    return NoError;
}

// Walks the path again inside one write transaction: another process may have created part
// of it since the first look.
int RegistryDatabase::createKey(std::int64_t parent, const std::vector<std::string_view>& levels,
                                std::int64_t& key) {
    int rc = execute("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return rc;
    std::int64_t current = parent;
    for (const std::string_view level : levels) {
        std::int64_t child = 0;
        rc = lookupChild(current, level, child);
        if (rc == SQLITE_DONE)
            rc = insertChild(current, level, child);
        else if (rc == SQLITE_ROW)
            rc = SQLITE_OK;
        if (rc != SQLITE_OK)
            break;
        current = child;
    }
    if (rc == SQLITE_OK)
        rc = execute("COMMIT");
    if (rc != SQLITE_OK) {
        execute("ROLLBACK");
        return rc;
    }
    key = current;
    return SQLITE_OK;
}

int RegistryDatabase::lookupChild(std::int64_t parent, std::string_view name, std::int64_t& child) {
    sqlite3_bind_int64(m_lookupChild, 1, parent);
    int rc = bindText(m_lookupChild, 2, name);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(m_lookupChild);
    if (rc == SQLITE_ROW)
        child = sqlite3_column_int64(m_lookupChild, 0);
    return finish(m_lookupChild, rc);
}

int RegistryDatabase::insertChild(std::int64_t parent, std::string_view name, std::int64_t& child) {
    sqlite3_bind_int64(m_insertChild, 1, parent);
    int rc = bindText(m_insertChild, 2, name);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(m_insertChild);
    if (rc == SQLITE_DONE) {
        child = sqlite3_last_insert_rowid(m_db);
        rc = SQLITE_OK;
    }
    return finish(m_insertChild, rc);
}

int RegistryDatabase::queryValue(std::int64_t key, std::string_view name, std::uint32_t& type,
                                 std::size_t& size) {
    sqlite3_bind_int64(m_queryValue, 1, key);
    int rc = bindText(m_queryValue, 2, name);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(m_queryValue);
    if (rc == SQLITE_ROW) {
        type = static_cast<std::uint32_t>(sqlite3_column_int64(m_queryValue, 0));
        size = static_cast<std::size_t>(sqlite3_column_int64(m_queryValue, 1));
    }
    finish(m_queryValue, rc);
    return rc == SQLITE_DONE ? ErrorFileNotFound : readFailed(statusFromSqlite(rc));
}

int RegistryDatabase::readValue(std::int64_t key, std::string_view name, std::uint32_t& type,
                                std::string& data) {
    sqlite3_bind_int64(m_readValue, 1, key);
    int rc = bindText(m_readValue, 2, name);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(m_readValue);
    if (rc == SQLITE_ROW) {
        type = static_cast<std::uint32_t>(sqlite3_column_int64(m_readValue, 0));
        const void* bytes = sqlite3_column_blob(m_readValue, 1);
        const int size = sqlite3_column_bytes(m_readValue, 1);
        if (bytes)
            data.assign(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
        else if (sqlite3_errcode(m_db) == SQLITE_NOMEM)
            rc = SQLITE_NOMEM;
        else
            data.clear();
    }
    finish(m_readValue, rc);
    return rc == SQLITE_DONE ? ErrorFileNotFound : readFailed(statusFromSqlite(rc));
}

int RegistryDatabase::setValue(std::int64_t key, std::string_view name, std::uint32_t type,
                               std::string_view data) {
    if (m_writeError)
        return m_writeError;
    sqlite3_bind_int64(m_setValue, 1, key);
    int rc = bindText(m_setValue, 2, name);
    if (rc == SQLITE_OK)
        rc = sqlite3_bind_int64(m_setValue, 3, type);
    if (rc == SQLITE_OK)
        rc = sqlite3_bind_blob64(m_setValue, 4, nonNull(data), data.size(), SQLITE_STATIC);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(m_setValue);
    finish(m_setValue, rc);
    return statusFromSqlite(rc);
}

int RegistryDatabase::execute(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
}

int RegistryDatabase::queryInteger(const char* sql, std::int64_t& value) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        value = sqlite3_column_int64(statement, 0);
        rc = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    return rc;
}

int RegistryDatabase::queryText(const char* sql, std::string& value) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        value = text ? reinterpret_cast<const char*>(text) : "";
        rc = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    return rc;
}

} // namespace platform
