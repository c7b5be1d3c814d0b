#include "shared/PropertyList.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace corvane::plist {

// ---- Dictionary -------------------------------------------------------------

Dictionary::Dictionary(std::initializer_list<Entry> entries) {
    entries_.reserve(entries.size());
    for (const Entry& entry : entries) set(entry.first, entry.second);
}

Dictionary Dictionary::withUniqueKeys(std::vector<Entry> entries) {
    Dictionary dictionary;
    dictionary.entries_ = std::move(entries);
    return dictionary;
}

const Value* Dictionary::find(std::string_view key) const {
    for (const Entry& entry : entries_) {
        if (entry.first == key) return &entry.second;
    }
    return nullptr;
}

Value* Dictionary::find(std::string_view key) {
    for (Entry& entry : entries_) {
        if (entry.first == key) return &entry.second;
    }
    return nullptr;
}

void Dictionary::set(std::string_view key, Value value) {
    if (Value* existing = find(key)) {
        *existing = std::move(value);
        return;
    }
    entries_.emplace_back(std::string(key), std::move(value));
}

bool Dictionary::erase(std::string_view key) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->first == key) {
            entries_.erase(it);
            return true;
        }
    }
    return false;
}

// Two dictionaries are equal when they hold the same keys with equal values,
// in whatever order: the order is kept for the files' sake, it carries no meaning.
bool operator==(const Dictionary& a, const Dictionary& b) {
    if (a.size() != b.size()) return false;
    for (const Dictionary::Entry& entry : a) {
        const Value* other = b.find(entry.first);
        if (other == nullptr || !(*other == entry.second)) return false;
    }
    return true;
}

// ---- Numeric text -----------------------------------------------------------

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipBlanks(std::string_view s, std::size_t i) {
    while (i < s.size() && isBlank(s[i])) ++i;
    return i;
}

// The leading integer of a string: blanks, an optional sign, digits.
// Values beyond the 64-bit range are clamped to it.
std::int64_t leadingInteger(std::string_view s) {
    std::size_t i = skipBlanks(s, 0);
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    // Accumulate as a negative number: its range holds the magnitude of INT64_MIN.
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    bool overflow = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        const int digit = s[i] - '0';
        if (overflow) continue;
        if (value < (kMin + digit) / 10) {
            overflow = true;
            continue;
        }
        value = value * 10 - digit;
    }
    if (negative) return overflow ? kMin : value;
    if (overflow || value == kMin) return std::numeric_limits<std::int64_t>::max();
    return -value;
}

// The leading decimal number of a string: blanks, an optional sign, digits
// with an optional fraction, an optional exponent. Overflow gives an infinity,
// underflow zero.
double leadingReal(std::string_view s) {
    std::size_t i = skipBlanks(s, 0);
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const std::size_t start = i;

    // Decimal exponent of the first significant digit, to tell overflow from
    // underflow when the conversion is out of range.
    long magnitude = 0;
    bool seenSignificant = false;
    std::size_t mantissaDigits = 0;
    for (; i < s.size() && isDigit(s[i]); ++i, ++mantissaDigits) {
        if (s[i] != '0') seenSignificant = true;
        if (seenSignificant && magnitude < 100000) ++magnitude;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        for (; i < s.size() && isDigit(s[i]); ++i, ++mantissaDigits) {
            if (s[i] != '0') seenSignificant = true;
            if (!seenSignificant && magnitude > -100000) --magnitude;
        }
    }
    if (mantissaDigits == 0) return 0.0;
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) negativeExponent = s[j++] == '-';
        long exponent = 0;
        bool exponentDigits = false;
        for (; j < s.size() && isDigit(s[j]); ++j) {
            exponentDigits = true;
            if (exponent < 100000) exponent = exponent * 10 + (s[j] - '0');
        }
        if (exponentDigits) {
            end = j;
            magnitude += negativeExponent ? -exponent : exponent;
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(s.data() + start, s.data() + end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = (seenSignificant && magnitude > 0) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

// A string's boolean value: YES when, after blanks, an optional sign and
// zeros, it starts with Y, y, T, t or a digit 1-9.
bool leadingBoolean(std::string_view s) {
    std::size_t i = skipBlanks(s, 0);
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    while (i < s.size() && s[i] == '0') ++i;
    if (i >= s.size()) return false;
    const char c = s[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

// A real truncated towards zero, clamped to the 64-bit range; NaN gives 0.
std::int64_t clampedInteger(double d) {
    if (std::isnan(d)) return 0;
    // 2^63 is exactly representable; every double below it converts safely.
    constexpr double kLimit = 9223372036854775808.0;
    if (d >= kLimit) return std::numeric_limits<std::int64_t>::max();
    if (d < -kLimit) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(d);
}

}  // namespace

// ---- Value ------------------------------------------------------------------

std::int64_t Value::integerValue() const {
    switch (kind()) {
        case Kind::Boolean: return *asBoolean() ? 1 : 0;
        case Kind::Integer: return *asInteger();
        case Kind::Real: return clampedInteger(*asReal());
        case Kind::String: return leadingInteger(*asString());
        default: return 0;
    }
}

std::int32_t Value::intValue() const {
    const std::int64_t value = integerValue();
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

bool Value::boolValue() const {
    switch (kind()) {
        case Kind::Boolean: return *asBoolean();
        case Kind::Integer: return *asInteger() != 0;
        case Kind::Real: return *asReal() != 0.0;
        case Kind::String: return leadingBoolean(*asString());
        default: return false;
    }
}

double Value::doubleValue() const {
    switch (kind()) {
        case Kind::Boolean: return *asBoolean() ? 1.0 : 0.0;
        case Kind::Integer: return static_cast<double>(*asInteger());
        case Kind::Real: return *asReal();
        case Kind::String: return leadingReal(*asString());
        default: return 0.0;
    }
}

std::optional<std::string> Value::text() const {
    switch (kind()) {
        case Kind::Boolean: return std::string(*asBoolean() ? "1" : "0");
        case Kind::Integer: return std::to_string(*asInteger());
        case Kind::Real: {
            // Shortest text that reads back as the same double.
            char buffer[64];
            const auto result = std::to_chars(buffer, buffer + sizeof buffer, *asReal());
            if (result.ec != std::errc()) return std::nullopt;
            return std::string(buffer, result.ptr);
        }
        case Kind::String: return *asString();
        default: return std::nullopt;
    }
}

// Values are equal when they are of the same kind and hold equal contents
// (an integer 1 differs from a real 1.0 and from YES, as in the files).
bool operator==(const Value& a, const Value& b) { return a.storage_ == b.storage_; }

}  // namespace corvane::plist
