#pragma once
// A property-list value: dictionary (string keys, insertion order kept), array,
// string, integer, real, boolean, date or data. The value type of every
// settings-like file shared by the engine and the app, and of the battery
// properties dictionary.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace corvane::plist {

class Value;

// Seconds from 1 January 1970 to the platform's reference date, 1 January 2001.
inline constexpr double kSecondsFrom1970To2001 = 978307200.0;

// A point in time, seconds since 1 January 1970 (UTC).
struct Date {
    double secondsSince1970 = 0.0;
    friend bool operator==(const Date&, const Date&) = default;
};

using Data = std::vector<std::uint8_t>;
using Array = std::vector<Value>;

// String-keyed map that keeps insertion order, as property-list files do.
// Lookups are linear: the dictionaries of this system hold at most a few
// dozen keys.
class Dictionary {
public:
    using Entry = std::pair<std::string, Value>;

    Dictionary() = default;
    Dictionary(std::initializer_list<Entry> entries);
    // Takes entries whose keys are known to differ, in linear time (a file
    // may hold tens of thousands of keys; adding them one by one is quadratic).
    static Dictionary withUniqueKeys(std::vector<Entry> entries);

    const Value* find(std::string_view key) const;
    Value* find(std::string_view key);
    bool contains(std::string_view key) const;
    // Replaces the value of an existing key in place, or appends the key.
    void set(std::string_view key, Value value);
    bool erase(std::string_view key);

    // Defined after Value, which must be complete first (clang insists).
    std::size_t size() const;
    bool empty() const;
    auto begin() const;
    auto end() const;

    friend bool operator==(const Dictionary&, const Dictionary&);

private:
    std::vector<Entry> entries_;
};

class Value {
public:
    enum class Kind { Boolean, Integer, Real, String, Date, Data, Array, Dictionary };

    Value() : storage_(false) {}
    Value(bool b) : storage_(b) {}
    Value(int i) : storage_(std::int64_t{i}) {}
    Value(long i) : storage_(std::int64_t{i}) {}
    Value(long long i) : storage_(std::int64_t{i}) {}
    Value(unsigned i) : storage_(std::int64_t{i}) {}
    Value(double d) : storage_(d) {}
    Value(const char* s) : storage_(std::string(s)) {}
    Value(std::string s) : storage_(std::move(s)) {}
    Value(std::string_view s) : storage_(std::string(s)) {}
    Value(plist::Date d) : storage_(d) {}
    Value(plist::Data d) : storage_(std::move(d)) {}
    Value(plist::Array a) : storage_(std::move(a)) {}
    Value(plist::Dictionary d) : storage_(std::move(d)) {}

    Kind kind() const { return static_cast<Kind>(storage_.index()); }
    bool isBoolean() const { return kind() == Kind::Boolean; }
    bool isInteger() const { return kind() == Kind::Integer; }
    bool isReal() const { return kind() == Kind::Real; }
    bool isNumber() const { return isBoolean() || isInteger() || isReal(); }
    bool isString() const { return kind() == Kind::String; }
    bool isDate() const { return kind() == Kind::Date; }
    bool isData() const { return kind() == Kind::Data; }
    bool isArray() const { return kind() == Kind::Array; }
    bool isDictionary() const { return kind() == Kind::Dictionary; }

    // Typed access: none when the value holds another kind.
    const bool* asBoolean() const { return std::get_if<bool>(&storage_); }
    const std::int64_t* asInteger() const { return std::get_if<std::int64_t>(&storage_); }
    const double* asReal() const { return std::get_if<double>(&storage_); }
    const std::string* asString() const { return std::get_if<std::string>(&storage_); }
    const plist::Date* asDate() const { return std::get_if<plist::Date>(&storage_); }
    const plist::Data* asData() const { return std::get_if<plist::Data>(&storage_); }
    const plist::Array* asArray() const { return std::get_if<plist::Array>(&storage_); }
    plist::Array* asArray() { return std::get_if<plist::Array>(&storage_); }
    const plist::Dictionary* asDictionary() const { return std::get_if<plist::Dictionary>(&storage_); }
    plist::Dictionary* asDictionary() { return std::get_if<plist::Dictionary>(&storage_); }

    // The usual number conversions of numbers and numeric strings. Numbers
    // convert as numbers do; strings as their leading numeric text does
    // ("12abc" is 12, "abc" is 0; a string's boolean value is YES when it
    // starts, after blanks, signs and zeros, with Y, y, T, t or a digit 1-9).
    // Every other kind converts to 0 / NO. Out-of-range values clamp to the
    // integer range (NaN gives 0); numeric text too large for a double gives
    // an infinity.
    std::int64_t integerValue() const;
    std::int32_t intValue() const;  // 32-bit: integerValue clamped to the 32-bit range
    bool boolValue() const;
    double doubleValue() const;

    // The text of the value, as the statistics rows store it: integers in
    // decimal, booleans "1" or "0", reals in their shortest round-trip form,
    // strings as they are; none for dates, data, arrays and dictionaries.
    std::optional<std::string> text() const;

    friend bool operator==(const Value&, const Value&);

private:
    std::variant<bool, std::int64_t, double, std::string, plist::Date, plist::Data, plist::Array, plist::Dictionary>
        storage_;
};

inline bool Dictionary::contains(std::string_view key) const { return find(key) != nullptr; }
inline std::size_t Dictionary::size() const { return entries_.size(); }
inline bool Dictionary::empty() const { return entries_.empty(); }
inline auto Dictionary::begin() const { return entries_.begin(); }
inline auto Dictionary::end() const { return entries_.end(); }

}  // namespace corvane::plist
