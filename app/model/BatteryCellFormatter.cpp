#include "app/model/BatteryCellFormatter.h"

#include <atomic>

#include "app/model/DateText.h"
#include "app/model/DisplayFormat.h"
#include "app/model/Localized.h"

namespace corvane::app {

namespace {

std::atomic<std::int32_t> formatterCounter{0};

// The value as a number: a date counts as its seconds since 1970, other
// values convert as numbers and numeric text do (0 when they cannot).
double numberOf(const plist::Value& value) {
    if (const plist::Date* date = value.asDate()) return date->secondsSince1970;
    return value.doubleValue();
}

}  // namespace

BatteryCellFormatter::BatteryCellFormatter(std::string title, std::string dataFormat)
    : BatteryCellFormatter(std::move(title), std::move(dataFormat), 0.0) {}

BatteryCellFormatter::BatteryCellFormatter(std::string title, std::string dataFormat, double divider)
    : index(nextIndex()), title(std::move(title)), dataFormat(std::move(dataFormat)), divider(divider) {}

std::int32_t BatteryCellFormatter::nextIndex() { return formatterCounter.fetch_add(1) + 1; }

std::string BatteryCellFormatter::format(const plist::Value& value) const {
    const std::string* text = value.asString();
    if (text != nullptr && *text == "nil") return *text;

    if (divider != 0.0) return DisplayFormat::apply(dataFormat, {numberOf(value) / divider});

    if (title == L("Temperature")) {
        const double celsius = numberOf(value) / 100.0;
        const double fahrenheit = celsius * 9.0 / 5.0 + 32.0;
        return DisplayFormat::apply(dataFormat, {celsius, fahrenheit});
    }
    if (title == L("Measured on")) {
        // Whole seconds since 1970, as the system stamps its readings.
        const double seconds =
            value.isDate() ? value.asDate()->secondsSince1970 : static_cast<double>(value.integerValue());
        return DateText::shortDateShortTime(seconds);
    }
    if (title == L("Manufacturer")) {
        if (text != nullptr && *text == "A") return "Apple";
        return DisplayFormat::objectText(value);
    }
    return DisplayFormat::apply(dataFormat, {DisplayFormat::objectText(value)});
}

}  // namespace corvane::app
