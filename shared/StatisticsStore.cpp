#include "shared/StatisticsStore.h"

#include <sys/stat.h>

#include <cerrno>

#include "shared/MoveAside.h"
#include "shared/StatisticsSchema.h"

namespace corvane::statistics {

namespace {

class SqliteCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "sqlite"; }
    std::string message(int result) const override { return sqlite3_errstr(result); }
};

int flagsOf(Store::Access access) {
    switch (access) {
        case Store::Access::ReadOnly: return SQLITE_OPEN_READONLY;
        case Store::Access::ReadWrite: return SQLITE_OPEN_READWRITE;
        case Store::Access::ReadWriteCreate: return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    }
    return SQLITE_OPEN_READONLY;
}

// A checkpoint, which flushes the log and the database, once the log holds
// this many pages: a row costs two or three, so about every forty rows (20
// minutes at one row each 30 s). A crash of the process loses nothing; a
// power loss may lose the rows since the last checkpoint.
constexpr int kCheckpointPages = 120;
// After a checkpoint the log is cut back to this size, whatever a large
// transaction (a purge's compaction) made it grow to.
constexpr int kJournalSizeLimitBytes = 1 << 20;

std::optional<std::pair<unsigned long long, unsigned long long>> identityOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    return std::pair<unsigned long long, unsigned long long>(info.st_dev, info.st_ino);
}

}  // namespace

std::error_code sqliteError(int result) {
    static const SqliteCategory category;
    return {result, category};
}

bool isBusy(const std::error_code& reason) {
    if (reason.category() != sqliteError(SQLITE_BUSY).category()) return false;
    const int primary = reason.value() & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool isTransient(const std::error_code& reason) {
    if (!reason) return false;
    if (reason.category() != sqliteError(SQLITE_OK).category()) return true;  // the system's, from opening
    switch (reason.value() & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_FULL:
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
        case SQLITE_NOMEM:
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_PROTOCOL:
        case SQLITE_INTERRUPT:
        case SQLITE_NOLFS: return true;
        default: return false;
    }
}

FileKind fileKindAt(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unknown;
    if (S_ISREG(info.st_mode)) return FileKind::Regular;
    if (S_ISDIR(info.st_mode)) return FileKind::Directory;
    if (S_ISLNK(info.st_mode)) return FileKind::SymbolicLink;
    if (S_ISFIFO(info.st_mode)) return FileKind::Fifo;
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return FileKind::Device;
    if (S_ISSOCK(info.st_mode)) return FileKind::Socket;
    return FileKind::Unknown;
}

std::string_view kindName(FileKind kind) {
    switch (kind) {
        case FileKind::Missing: return "nothing";
        case FileKind::Regular: return "regular file";
        case FileKind::Directory: return "directory";
        case FileKind::SymbolicLink: return "symbolic link";
        case FileKind::Fifo: return "FIFO";
        case FileKind::Device: return "device";
        case FileKind::Socket: return "socket";
        case FileKind::Unknown: break;
    }
    return "file that cannot be examined";
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        outcome_ = other.outcome_;
    }
    return *this;
}

Outcome Statement::bind(int index, std::string_view text) {
    return checked(sqlite3_bind_text(handle_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
}

bool Statement::next() {
    const int result = sqlite3_step(handle_);
    if (result == SQLITE_ROW) return true;
    outcome_ = result == SQLITE_DONE ? Outcome() : Outcome(sqliteError(result));
    return false;
}

Outcome Statement::run() {
    while (next()) {
    }
    return outcome_;
}

std::optional<std::string_view> Statement::text(int column) const {
    const unsigned char* value = sqlite3_column_text(handle_, column);
    if (value == nullptr) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(value),
                            static_cast<std::size_t>(sqlite3_column_bytes(handle_, column)));
}

Outcome Store::open(const std::filesystem::path& file, Access access, int busyWaitMilliseconds) {
    close();
    // Opening a FIFO, or reading from it, would wait for a writer that may never come.
    switch (fileKindAt(file)) {
        case FileKind::Missing:
        case FileKind::Regular: break;
        case FileKind::Directory: return Outcome::fromErrno(EISDIR);
        case FileKind::SymbolicLink: return Outcome::fromErrno(ELOOP);
        default: return Outcome::fromErrno(ENXIO);
    }
    const int result = sqlite3_open_v2(file.c_str(), &handle_, flagsOf(access) | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (result != SQLITE_OK) {
        // The system's reason says more than SQLite's "unable to open database file".
        const int system = handle_ == nullptr ? 0 : sqlite3_system_errno(handle_);
        close();
        return system != 0 ? Outcome::fromErrno(system) : Outcome(sqliteError(result));
    }
    sqlite3_busy_timeout(handle_, busyWaitMilliseconds);
    identity_ = identityOf(file).value_or(std::pair<unsigned long long, unsigned long long>{});
    if (access != Access::ReadOnly) {
        const std::string limit = "PRAGMA journal_size_limit=" + std::to_string(kJournalSizeLimitBytes);
        Statement pragma;
        if (prepare(limit, pragma)) pragma.run();
    }
    return {};
}

void Store::close() {
    if (handle_ != nullptr) sqlite3_close_v2(handle_);
    handle_ = nullptr;
    writeAheadLog_ = false;
}

bool Store::stillAt(const std::filesystem::path& file) const {
    return handle_ != nullptr && identityOf(file) == identity_;
}

Outcome Store::useWriteAheadLog() {
    Statement mode;
    if (const Outcome prepared = prepare("PRAGMA journal_mode=WAL", mode); !prepared) return prepared;
    if (!mode.next()) return mode.outcome() ? Outcome(sqliteError(SQLITE_ERROR)) : mode.outcome();
    if (mode.text(0) != "wal") return sqliteError(SQLITE_BUSY);  // another connection kept the old journal
    mode = Statement();
    if (const Outcome synchronous = execute("PRAGMA synchronous=NORMAL"); !synchronous) return synchronous;
    const Outcome checkpoints = execute("PRAGMA wal_autocheckpoint=" + std::to_string(kCheckpointPages));
    writeAheadLog_ = static_cast<bool>(checkpoints);
    return checkpoints;
}

Outcome Store::prepare(std::string_view sql, Statement& into) {
    sqlite3_finalize(std::exchange(into.handle_, nullptr));
    into.outcome_ = {};
    if (handle_ == nullptr) return sqliteError(SQLITE_MISUSE);
    const int result = sqlite3_prepare_v2(handle_, sql.data(), static_cast<int>(sql.size()), &into.handle_, nullptr);
    if (result == SQLITE_OK && into.handle_ == nullptr) return sqliteError(SQLITE_ERROR);  // no statement in the text
    return Statement::checked(result);
}

Outcome Store::execute(std::string_view sql) {
    if (handle_ == nullptr) return sqliteError(SQLITE_MISUSE);
    return Statement::checked(sqlite3_exec(handle_, std::string(sql).c_str(), nullptr, nullptr, nullptr));
}

Store::Health Store::check(std::string& detail) {
    const auto judge = [&](const Outcome& failure) {
        detail = lastMessage();
        return isTransient(failure.reason()) ? Health::Unavailable : Health::Broken;
    };
    {
        Statement quickCheck;
        if (const Outcome prepared = prepare("PRAGMA quick_check", quickCheck); !prepared) return judge(prepared);
        if (!quickCheck.next()) return judge(quickCheck.outcome());
        const std::optional<std::string_view> verdict = quickCheck.text(0);
        if (verdict != "ok") {
            detail = verdict ? std::string(*verdict) : "?";
            return Health::Broken;
        }
    }
    for (std::string_view statement : {kCreateTableStatement, kCreateIndexStatement}) {
        if (const Outcome done = execute(statement); !done) return judge(done);
    }
    return Health::Usable;
}

std::optional<std::filesystem::path> moveDatabaseAside(const std::filesystem::path& database, double secondsSince1970) {
    const std::optional<std::filesystem::path> moved = moveAside(database, secondsSince1970);
    if (!moved) return std::nullopt;
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        std::filesystem::path companion = database;
        companion += suffix;
        std::error_code error;
        if (!std::filesystem::exists(companion, error)) continue;
        std::filesystem::path movedCompanion = *moved;
        movedCompanion += suffix;
        std::filesystem::rename(companion, movedCompanion, error);
    }
    return moved;
}

std::int64_t countRows(const std::filesystem::path& database) {
    std::error_code error;
    if (!std::filesystem::exists(database, error)) return 0;
    Store store;
    Statement count;
    if (!store.open(database, Store::Access::ReadOnly) || !store.prepare(kCountStatement, count) || !count.next())
        return 0;
    return count.integer64(0);
}

}  // namespace corvane::statistics
