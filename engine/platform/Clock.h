#pragma once
// Wall-clock time of the platform. In the simulator this is virtual time.

#include "shared/PropertyList.h"

namespace corvane::platform {

using Date = plist::Date;

class Clock {
public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
};

// Seconds from `earlier` to `later`.
inline double secondsBetween(Date earlier, Date later) { return later.secondsSince1970 - earlier.secondsSince1970; }

inline Date addSeconds(Date date, double seconds) { return Date{date.secondsSince1970 + seconds}; }

}  // namespace corvane::platform
