#pragma once
// Lets GoogleTest show property-list values in failure messages as XML.

#include <ostream>

#include "shared/PropertyListFile.h"

namespace corvane::plist {

inline void PrintTo(const Value& value, std::ostream* out) { *out << '\n' << toXml(value); }
inline void PrintTo(const Dictionary& dictionary, std::ostream* out) { PrintTo(Value(dictionary), out); }

}  // namespace corvane::plist
