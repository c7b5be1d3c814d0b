#include "shared/StatisticsStore.h"

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
    const int result = sqlite3_open_v2(file.c_str(), &handle_, flagsOf(access), nullptr);
    if (result != SQLITE_OK) {
        // The system's reason says more than SQLite's "unable to open database file".
        const int system = handle_ == nullptr ? 0 : sqlite3_system_errno(handle_);
        close();
        return system != 0 ? Outcome::fromErrno(system) : Outcome(sqliteError(result));
    }
    sqlite3_busy_timeout(handle_, busyWaitMilliseconds);
    return {};
}

void Store::close() {
    if (handle_ != nullptr) sqlite3_close_v2(handle_);
    handle_ = nullptr;
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
        return isBusy(failure.reason()) ? Health::Unavailable : Health::Broken;
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
