#pragma once
// The Adaptive strategy's records, one property-list file under the root:
// the user's recent locks (when each began and how long it lasted), from
// which the strategy expects how long a lock will last, and what the
// strategy saved since the phone last came off its charger, which the app
// shows. A missing or malformed file, or malformed entries, read as none.

#include <cstddef>
#include <filesystem>
#include <vector>

namespace corvane {

class AdaptiveRecords {
public:
    struct Lock {
        double start = 0.0;  // seconds since 1970
        double seconds = 0.0;
    };
    struct Savings {
        double since = 0.0;  // seconds since 1970; 0 when never unplugged
        double radioJoulesSaved = 0.0;
        double switchJoulesSpent = 0.0;
        long long wakesAvoided = 0;
        double wakeJoulesSaved = 0.0;
        double netJoules() const { return radioJoulesSaved - switchJoulesSpent + wakeJoulesSaved; }
    };

    // Locks older than this are forgotten, and at most kMaximumLocks are kept.
    static constexpr double kHistorySeconds = 14 * 86400.0;
    static constexpr std::size_t kMaximumLocks = 500;
    // Locks that began within this of the same time of day count as alike.
    static constexpr double kTimeOfDayWindow = 3600.0;
    // Fewer alike locks than this that lasted longer are no evidence.
    static constexpr std::size_t kLeastEvidence = 3;

    static AdaptiveRecords load(const std::filesystem::path& path);
    bool save(const std::filesystem::path& path) const;

    void addLock(double start, double seconds);
    const std::vector<Lock>& locks() const { return locks_; }
    // How much longer a lock that began at `start` and has lasted
    // `lockedFor` seconds is expected to last: the mean of what remained of
    // the alike locks that lasted longer, or, without enough of them, as
    // long again as it has lasted.
    double expectedRemaining(double start, double lockedFor) const;

    Savings& savings() { return savings_; }
    const Savings& savings() const { return savings_; }
    // The phone came off its charger: the savings start again from zero.
    void chargeEnded(double now);

private:
    std::vector<Lock> locks_;
    Savings savings_;
};

}  // namespace corvane
