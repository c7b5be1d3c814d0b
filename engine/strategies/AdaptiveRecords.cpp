#include "engine/strategies/AdaptiveRecords.h"

#include <algorithm>
#include <cmath>

#include "shared/Names.h"
#include "shared/PropertyListFile.h"

namespace corvane {

namespace {

constexpr double kDay = 86400.0;

// Seconds between two times of day, across midnight.
double timeOfDayDistance(double a, double b) {
    const double d = std::fabs(std::fmod(a, kDay) - std::fmod(b, kDay));
    return std::min(d, kDay - d);
}

double realOr(const plist::Dictionary& dictionary, std::string_view key, double fallback) {
    const plist::Value* value = dictionary.find(key);
    if (value == nullptr || !(value->isReal() || value->isInteger())) return fallback;
    const double number = value->doubleValue();
    return std::isfinite(number) && number >= 0.0 ? number : fallback;
}

}  // namespace

AdaptiveRecords AdaptiveRecords::load(const std::filesystem::path& path) {
    AdaptiveRecords records;
    const std::optional<plist::Dictionary> file = plist::readDictionary(path);
    if (!file) return records;
    if (const plist::Value* locks = file->find(adaptive::kLocks); locks != nullptr && locks->isArray()) {
        for (const plist::Value& entry : *locks->asArray()) {
            const plist::Dictionary* lock = entry.asDictionary();
            if (lock == nullptr) continue;
            const plist::Value* start = lock->find(adaptive::kLockStart);
            const double seconds = realOr(*lock, adaptive::kLockSeconds, -1.0);
            if (start == nullptr || !start->isDate() || seconds < 0.0) continue;
            records.locks_.push_back({start->asDate()->secondsSince1970, seconds});
        }
    }
    if (const plist::Value* since = file->find(adaptive::kSinceCharge); since != nullptr && since->isDate()) {
        records.savings_.since = since->asDate()->secondsSince1970;
    }
    records.savings_.radioJoulesSaved = realOr(*file, adaptive::kRadioJoulesSaved, 0.0);
    records.savings_.switchJoulesSpent = realOr(*file, adaptive::kSwitchJoulesSpent, 0.0);
    records.savings_.wakesAvoided = static_cast<long long>(realOr(*file, adaptive::kWakesAvoided, 0.0));
    records.savings_.wakeJoulesSaved = realOr(*file, adaptive::kWakeJoulesSaved, 0.0);
    return records;
}

bool AdaptiveRecords::save(const std::filesystem::path& path) const {
    plist::Array locks;
    for (const Lock& lock : locks_) {
        locks.emplace_back(plist::Dictionary{{std::string(adaptive::kLockStart), plist::Date{lock.start}},
                                             {std::string(adaptive::kLockSeconds), lock.seconds}});
    }
    plist::Dictionary file{{std::string(adaptive::kLocks), std::move(locks)},
                           {std::string(adaptive::kRadioJoulesSaved), savings_.radioJoulesSaved},
                           {std::string(adaptive::kSwitchJoulesSpent), savings_.switchJoulesSpent},
                           {std::string(adaptive::kWakesAvoided), savings_.wakesAvoided},
                           {std::string(adaptive::kWakeJoulesSaved), savings_.wakeJoulesSaved}};
    if (savings_.since > 0.0) file.set(adaptive::kSinceCharge, plist::Date{savings_.since});
    return static_cast<bool>(plist::writeFile(path, plist::Value(std::move(file))));
}

void AdaptiveRecords::addLock(double start, double seconds) {
    if (!(seconds >= 0.0)) return;
    locks_.push_back({start, seconds});
    const double end = start + seconds;
    std::erase_if(locks_, [&](const Lock& lock) { return lock.start + lock.seconds < end - kHistorySeconds; });
    if (locks_.size() > kMaximumLocks) locks_.erase(locks_.begin(), locks_.end() - kMaximumLocks);
}

double AdaptiveRecords::expectedRemaining(double start, double lockedFor) const {
    double remaining = 0.0;
    std::size_t alike = 0;
    for (const Lock& lock : locks_) {
        if (lock.seconds <= lockedFor || timeOfDayDistance(lock.start, start) > kTimeOfDayWindow) continue;
        remaining += lock.seconds - lockedFor;
        ++alike;
    }
    if (alike < kLeastEvidence) return lockedFor;
    return remaining / static_cast<double>(alike);
}

void AdaptiveRecords::chargeEnded(double now) { savings_ = Savings{.since = now}; }

}  // namespace corvane
