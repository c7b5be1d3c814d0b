#pragma once
// The statistics database as the engine, the app and the simulator use it:
// one connection and its prepared statements, each released on every path.
// Failures answer SQLite's reason (or the system's, when opening the file
// failed for a system reason). Nothing here throws.

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "shared/Outcome.h"

namespace corvane::statistics {

// SQLite result codes as error codes; the message is SQLite's text for the code.
std::error_code sqliteError(int result);
// Another connection holds the database (busy or locked): not a fault of the file.
bool isBusy(const std::error_code& reason);
// A failure of the disk or the system, not of the file's content: busy or
// locked, disk full, an I/O error, no right to write, out of memory, or a
// system error from opening. Such a file is kept and tried again later.
bool isTransient(const std::error_code& reason);

// What stands at a path, the path itself looked at (a link is not followed).
enum class FileKind { Missing, Regular, Directory, SymbolicLink, Fifo, Device, Socket, Unknown };
FileKind fileKindAt(const std::filesystem::path& path);
// "directory", "symbolic link", "FIFO", "device", "socket"...: for log lines.
std::string_view kindName(FileKind kind);

// A prepared statement; finalized when it goes.
class Statement {
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(handle_); }
    Statement(Statement&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Outcome bind(int index, std::int64_t value) { return checked(sqlite3_bind_int64(handle_, index, value)); }
    Outcome bind(int index, std::string_view text);
    Outcome bindNull(int index) { return checked(sqlite3_bind_null(handle_, index)); }

    // Steps once: true with a row to read; false at the end or on a failure,
    // which `outcome` then tells.
    bool next();
    // Steps to the end; the reason when a step failed.
    Outcome run();
    // Ready to run again (the bindings stay); a statement kept between runs
    // is reset after each, so that it holds no lock.
    void reset() { sqlite3_reset(handle_); }
    bool isPrepared() const { return handle_ != nullptr; }
    const Outcome& outcome() const { return outcome_; }

    bool isNull(int column) const { return sqlite3_column_type(handle_, column) == SQLITE_NULL; }
    int integer(int column) const { return sqlite3_column_int(handle_, column); }
    std::int64_t integer64(int column) const { return sqlite3_column_int64(handle_, column); }
    // None for NULL.
    std::optional<std::string_view> text(int column) const;

private:
    friend class Store;
    static Outcome checked(int result) { return result == SQLITE_OK ? Outcome() : Outcome(sqliteError(result)); }

    sqlite3_stmt* handle_ = nullptr;
    Outcome outcome_;
};

// One connection to a database file; closed when it goes or is reopened.
class Store {
public:
    enum class Access { ReadOnly, ReadWrite, ReadWriteCreate };

    Store() = default;
    ~Store() { close(); }
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // A statement meeting another connection's lock waits up to
    // busyWaitMilliseconds (0: answers busy at once) before failing. Only a
    // regular file is opened: a link is never followed, and a FIFO, device,
    // directory or socket in the file's place is refused before any open
    // that could block (ELOOP, EISDIR or ENXIO).
    Outcome open(const std::filesystem::path& file, Access access, int busyWaitMilliseconds = 0);
    void close();
    bool isOpen() const { return handle_ != nullptr; }
    // Whether the path still names the file this connection opened (it may
    // have been removed, replaced or moved aside since).
    bool stillAt(const std::filesystem::path& file) const;
    // For a connection kept open by a writer: the write-ahead log, so that
    // readers and short writers of other processes work beside it, with a
    // flush at each checkpoint rather than at each transaction. Fails (and
    // the file keeps its journal) when another connection prevents the change.
    Outcome useWriteAheadLog();
    bool usesWriteAheadLog() const { return handle_ != nullptr && writeAheadLog_; }
    // Copies the write-ahead log into the database and empties it. Before a
    // connection to a file that was replaced or removed is closed: SQLite
    // then leaves the log at the path, where it would be read as part of
    // whatever file comes there next.
    Outcome emptyWriteAheadLog() { return execute("PRAGMA wal_checkpoint(TRUNCATE)"); }
    bool isReadOnly() const { return handle_ == nullptr || sqlite3_db_readonly(handle_, "main") == 1; }

    Outcome prepare(std::string_view sql, Statement& into);
    // Runs every statement of the text, to the end.
    Outcome execute(std::string_view sql);
    // Rows changed by the last statement.
    int changes() const { return handle_ == nullptr ? 0 : sqlite3_changes(handle_); }
    // SQLite's words about the last failure here ("no such table: ...").
    std::string lastMessage() const { return handle_ == nullptr ? "not open" : sqlite3_errmsg(handle_); }

    // The statistics file's own checks. `check` runs the quick check and
    // gives an existing file its table and index when they are missing. A
    // busy file, a full disk or an I/O error make it Unavailable, never
    // Broken: only content that is no sound database is. `detail` tells why
    // on failure.
    enum class Health { Usable, Broken, Unavailable };
    Health check(std::string& detail);
    // Whether the file passed `check` in this run; cleared to check again.
    bool verified = false;

private:
    sqlite3* handle_ = nullptr;
    bool writeAheadLog_ = false;
    // The device and inode of the opened file.
    std::pair<unsigned long long, unsigned long long> identity_{};
};

// Moves a broken database aside with its journal files, so that a new one
// starts clean (a hot journal left beside a new file would be replayed into
// it). Answers the new path of the database, none when it could not be moved.
std::optional<std::filesystem::path> moveDatabaseAside(const std::filesystem::path& database, double secondsSince1970);

// The number of rows of the statistics table; 0 when the file is missing or
// unreadable.
std::int64_t countRows(const std::filesystem::path& database);

}  // namespace corvane::statistics
