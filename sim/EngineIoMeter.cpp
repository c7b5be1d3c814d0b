#include "sim/EngineIoMeter.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>

namespace corvane::sim {

IoCounts& IoCounts::operator+=(const IoCounts& other) {
    fileWrites += other.fileWrites;
    flushes += other.flushes;
    transactions += other.transactions;
    failedTransactions += other.failedTransactions;
    return *this;
}

namespace {

std::mutex currentMutex;
EngineIoMeter* current = nullptr;

// ---- The SQLite file layer: the system's own, with each call counted --------

sqlite3_vfs* systemVfs = nullptr;

struct MeteredFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* realOf(sqlite3_file* file) { return reinterpret_cast<MeteredFile*>(file)->real; }

int failedWith(int result) {
    if (result != SQLITE_OK) EngineIoMeter::record(EngineIoMeter::Event::Failure);
    return result;
}

int meteredClose(sqlite3_file* file) { return realOf(file)->pMethods->xClose(realOf(file)); }
int meteredRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    return realOf(file)->pMethods->xRead(realOf(file), buffer, amount, offset);
}
int meteredWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    if (EngineIoMeter::currentDiskFull()) return failedWith(SQLITE_FULL);
    EngineIoMeter::record(EngineIoMeter::Event::Write);
    return failedWith(realOf(file)->pMethods->xWrite(realOf(file), buffer, amount, offset));
}
int meteredTruncate(sqlite3_file* file, sqlite3_int64 size) {
    return failedWith(realOf(file)->pMethods->xTruncate(realOf(file), size));
}
int meteredSync(sqlite3_file* file, int flags) {
    EngineIoMeter::record(EngineIoMeter::Event::Flush);
    return failedWith(realOf(file)->pMethods->xSync(realOf(file), flags));
}
int meteredFileSize(sqlite3_file* file, sqlite3_int64* size) {
    return realOf(file)->pMethods->xFileSize(realOf(file), size);
}
// A rollback-journal write transaction starts with the reserved lock and
// ends when the lock falls back to shared or none.
int meteredLock(sqlite3_file* file, int level) {
    const int result = realOf(file)->pMethods->xLock(realOf(file), level);
    if (result == SQLITE_OK && level == SQLITE_LOCK_RESERVED)
        EngineIoMeter::record(EngineIoMeter::Event::TransactionStart);
    return result;
}
int meteredUnlock(sqlite3_file* file, int level) {
    if (level <= SQLITE_LOCK_SHARED) EngineIoMeter::record(EngineIoMeter::Event::TransactionEnd);
    return realOf(file)->pMethods->xUnlock(realOf(file), level);
}
int meteredCheckReservedLock(sqlite3_file* file, int* reserved) {
    return realOf(file)->pMethods->xCheckReservedLock(realOf(file), reserved);
}
int meteredFileControl(sqlite3_file* file, int operation, void* argument) {
    return realOf(file)->pMethods->xFileControl(realOf(file), operation, argument);
}
int meteredSectorSize(sqlite3_file* file) { return realOf(file)->pMethods->xSectorSize(realOf(file)); }
int meteredDeviceCharacteristics(sqlite3_file* file) {
    return realOf(file)->pMethods->xDeviceCharacteristics(realOf(file));
}
int meteredShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** mapped) {
    return realOf(file)->pMethods->xShmMap(realOf(file), region, size, extend, mapped);
}
// A write-ahead-log write transaction holds the log's first lock alone.
int meteredShmLock(sqlite3_file* file, int offset, int count, int flags) {
    const int result = realOf(file)->pMethods->xShmLock(realOf(file), offset, count, flags);
    if (result == SQLITE_OK && offset == 0 && count == 1 && (flags & SQLITE_SHM_EXCLUSIVE)) {
        EngineIoMeter::record((flags & SQLITE_SHM_LOCK) ? EngineIoMeter::Event::TransactionStart
                                                        : EngineIoMeter::Event::TransactionEnd);
    }
    return result;
}
void meteredShmBarrier(sqlite3_file* file) { realOf(file)->pMethods->xShmBarrier(realOf(file)); }
int meteredShmUnmap(sqlite3_file* file, int deleteFlag) {
    return realOf(file)->pMethods->xShmUnmap(realOf(file), deleteFlag);
}
int meteredFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** page) {
    return realOf(file)->pMethods->xFetch(realOf(file), offset, amount, page);
}
int meteredUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
    return realOf(file)->pMethods->xUnfetch(realOf(file), offset, page);
}

const sqlite3_io_methods kMeteredMethods = {
    3,
    meteredClose,
    meteredRead,
    meteredWrite,
    meteredTruncate,
    meteredSync,
    meteredFileSize,
    meteredLock,
    meteredUnlock,
    meteredCheckReservedLock,
    meteredFileControl,
    meteredSectorSize,
    meteredDeviceCharacteristics,
    meteredShmMap,
    meteredShmLock,
    meteredShmBarrier,
    meteredShmUnmap,
    meteredFetch,
    meteredUnfetch,
};

int meteredOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* metered = reinterpret_cast<MeteredFile*>(file);
    metered->real = reinterpret_cast<sqlite3_file*>(metered + 1);
    const int result = systemVfs->xOpen(systemVfs, name, metered->real, flags, outFlags);
    metered->base.pMethods = metered->real->pMethods != nullptr ? &kMeteredMethods : nullptr;
    return result;
}

sqlite3_vfs meteredVfs{};

// Registered once, as the default, on the first meter.
void installLayer() {
    static std::once_flag once;
    std::call_once(once, [] {
        systemVfs = sqlite3_vfs_find(nullptr);
        if (systemVfs == nullptr || systemVfs->iVersion < 1) return;
        meteredVfs = *systemVfs;
        meteredVfs.szOsFile = static_cast<int>(sizeof(MeteredFile)) + systemVfs->szOsFile;
        meteredVfs.zName = "phonesim-metered";
        meteredVfs.pNext = nullptr;
        meteredVfs.xOpen = meteredOpen;
        // The remaining calls (delete, access, full path, randomness, time)
        // go to the system's layer with its own context.
        sqlite3_vfs_register(&meteredVfs, 1);
    });
}

}  // namespace

EngineIoMeter::EngineIoMeter(std::function<double()> now) : now_(std::move(now)) {
    installLayer();
    std::lock_guard guard(currentMutex);
    current = this;
}

EngineIoMeter::~EngineIoMeter() {
    std::lock_guard guard(currentMutex);
    if (current == this) current = nullptr;
}

IoCounts& EngineIoMeter::bucket() {
    const double hours = std::floor(now_() / 3600.0);
    const double hour = std::fmod(hours, 24.0);
    const int index = std::isfinite(hour) ? static_cast<int>(hour < 0 ? hour + 24.0 : hour) : 0;
    return byHour_[static_cast<std::size_t>(index % 24)];
}

void EngineIoMeter::fileReplaced(Durability durability) {
    std::lock_guard guard(mutex_);
    IoCounts& counts = bucket();
    ++counts.fileWrites;
    switch (durability) {
        case Durability::Flushed: counts.flushes += 2; break;  // the file, then its folder
        case Durability::MayRevert: counts.flushes += 1; break;
        case Durability::Unflushed: break;
    }
}

void EngineIoMeter::setDiskFull(bool full) {
    std::lock_guard guard(mutex_);
    diskFull_ = full;
}

bool EngineIoMeter::diskFull() const {
    std::lock_guard guard(mutex_);
    return diskFull_;
}

std::array<IoCounts, 24> EngineIoMeter::byHourOfDay() const {
    std::lock_guard guard(mutex_);
    return byHour_;
}

IoCounts EngineIoMeter::total() const {
    IoCounts sum;
    for (const IoCounts& counts : byHourOfDay()) sum += counts;
    return sum;
}

void EngineIoMeter::record(Event event) {
    std::lock_guard currentGuard(currentMutex);
    if (current == nullptr) return;
    EngineIoMeter& meter = *current;
    std::lock_guard guard(meter.mutex_);
    IoCounts& counts = meter.bucket();
    switch (event) {
        case Event::Write: ++counts.fileWrites; break;
        case Event::Flush: ++counts.flushes; break;
        case Event::TransactionStart:
            if (meter.inTransaction_) break;
            meter.inTransaction_ = true;
            meter.transactionFailed_ = false;
            ++counts.transactions;
            break;
        case Event::TransactionEnd:
            if (!meter.inTransaction_) break;
            meter.inTransaction_ = false;
            if (meter.transactionFailed_) ++counts.failedTransactions;
            break;
        case Event::Failure: meter.transactionFailed_ = true; break;
    }
}

bool EngineIoMeter::currentDiskFull() {
    std::lock_guard guard(currentMutex);
    return current != nullptr && current->diskFull();
}

}  // namespace corvane::sim
