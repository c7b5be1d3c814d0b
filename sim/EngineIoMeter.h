#pragma once
// What the engine costs the phone's storage: whole-file replacements,
// flushes and database write transactions, by hour of the day. The
// engine's database is seen through an SQLite file layer installed as the
// process's default (the engine is the only user of SQLite in a phonesim
// run); its files through the phone's file manager. The same layer can make
// the disk full, as a phone's flash fills up.

#include <array>
#include <functional>
#include <mutex>

#include "shared/AtomicFile.h"

namespace corvane::sim {

struct IoCounts {
    long long fileWrites = 0;          // whole files replaced, and database files written to
    long long flushes = 0;             // data forced to the storage (fsync, fdatasync)
    long long transactions = 0;        // database write transactions
    long long failedTransactions = 0;  // ... that a full disk or an I/O error undid

    IoCounts& operator+=(const IoCounts& other);
};

class EngineIoMeter {
public:
    // `now`: the phone's time, seconds since 1970; hours of the day are UTC,
    // as the scenarios' times.
    explicit EngineIoMeter(std::function<double()> now);
    ~EngineIoMeter();
    EngineIoMeter(const EngineIoMeter&) = delete;
    EngineIoMeter& operator=(const EngineIoMeter&) = delete;

    // A file replaced through the phone's file manager: the atomic write
    // flushes the new file (unless Durability::Unflushed), and with
    // Durability::Flushed its folder too.
    void fileReplaced(Durability durability);

    // While full, every database write and every file replacement fails
    // with "disk full"; nothing is written.
    void setDiskFull(bool full);
    bool diskFull() const;

    std::array<IoCounts, 24> byHourOfDay() const;
    IoCounts total() const;

    // The layer's callbacks: counts of the current phone's meter.
    enum class Event { Write, Flush, TransactionStart, TransactionEnd, Failure };
    static void record(Event event);
    static bool currentDiskFull();

private:
    IoCounts& bucket();

    std::function<double()> now_;
    mutable std::mutex mutex_;
    std::array<IoCounts, 24> byHour_{};
    bool diskFull_ = false;
    bool inTransaction_ = false;
    bool transactionFailed_ = false;
};

}  // namespace corvane::sim
