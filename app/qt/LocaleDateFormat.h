#pragma once
// Dates of the short date and time styles in the user's locale.

#include <QString>

namespace corvane::app {

class LocaleDateFormat {
public:
    // The short date and time of the system locale.
    static QString shortDateShortTime(double secondsSince1970);
    // Makes the screens show their short dates this way.
    static void install();
};

}  // namespace corvane::app
