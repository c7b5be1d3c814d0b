#pragma once
// Dates as the app shows them, in the local time zone: the short date and
// short time styles ("12/6/26, 9:32 PM") and the default description
// ("2026-12-06 21:32:20 +0000", always in UTC).

#include <functional>
#include <string>

namespace corvane::app {

class DateText {
public:
    using Formatter = std::function<std::string(double secondsSince1970)>;

    // Short date style and short time style, local time: US style unless a
    // front end has set the formatter of the user's locale.
    static std::string shortDateShortTime(double secondsSince1970);
    // Sets the short-style formatter (none: the US style again). Set once at
    // start, before any screen shows a date.
    static void setShortStyleFormatter(Formatter formatter);
    // The platform's default date description, in UTC.
    static std::string defaultDescription(double secondsSince1970);
};

}  // namespace corvane::app
