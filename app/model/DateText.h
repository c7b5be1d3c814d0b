#pragma once
// Dates as the app shows them, in the local time zone: the short date and
// short time styles ("12/6/26, 9:32 PM") and the default description
// ("2026-12-06 21:32:20 +0000", always in UTC).

#include <string>

namespace corvane::app {

class DateText {
public:
    // Short date style and short time style, local time.
    static std::string shortDateShortTime(double secondsSince1970);
    // The platform's default date description, in UTC.
    static std::string defaultDescription(double secondsSince1970);
};

}  // namespace corvane::app
