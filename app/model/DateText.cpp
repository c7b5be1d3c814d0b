#include "app/model/DateText.h"

#include <cmath>
#include <ctime>

namespace corvane::app {

namespace {

// Whole seconds, clamped so that a wild value cannot overflow time_t.
std::time_t wholeSeconds(double secondsSince1970) {
    if (std::isnan(secondsSince1970)) return 0;
    constexpr double kLimit = 253402300799.0;  // 9999-12-31 23:59:59
    return static_cast<std::time_t>(std::floor(std::fmax(-kLimit, std::fmin(kLimit, secondsSince1970))));
}

std::string formatted(const char* format, const std::tm& time) {
    char buffer[64];
    const std::size_t length = std::strftime(buffer, sizeof buffer, format, &time);
    return std::string(buffer, length);
}

DateText::Formatter& shortStyleFormatter() {
    static DateText::Formatter formatter;
    return formatter;
}

std::string usShortStyle(double secondsSince1970) {
    const std::time_t seconds = wholeSeconds(secondsSince1970);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) return {};
    const int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    return std::to_string(local.tm_mon + 1) + "/" + std::to_string(local.tm_mday) + "/" + formatted("%y", local) +
           ", " + std::to_string(hour12) + ":" + formatted("%M", local) + (local.tm_hour < 12 ? " AM" : " PM");
}

}  // namespace

std::string DateText::shortDateShortTime(double secondsSince1970) {
    const Formatter& formatter = shortStyleFormatter();
    return formatter ? formatter(secondsSince1970) : usShortStyle(secondsSince1970);
}

void DateText::setShortStyleFormatter(Formatter formatter) { shortStyleFormatter() = std::move(formatter); }

std::string DateText::defaultDescription(double secondsSince1970) {
    const std::time_t seconds = wholeSeconds(secondsSince1970);
    std::tm utc{};
    if (::gmtime_r(&seconds, &utc) == nullptr) return {};
    return formatted("%Y-%m-%d %H:%M:%S +0000", utc);
}

}  // namespace corvane::app
