#pragma once
// A guard run before handing bytes to libplist: its parser and its node
// release recurse once per nesting level, so a hostile file with a few
// hundred thousand nested arrays would overflow the stack of the host process.

#include <string_view>

namespace corvane::plist {

// The deepest nesting of arrays and dictionaries accepted in a file. No file
// of the system comes near it.
inline constexpr int kMaximumNesting = 128;

// YES when the XML or binary property list nests its containers no deeper
// than maximumDepth. Only the structure is checked: a YES says nothing about
// the rest being well formed. A binary list whose structure cannot be followed
// (bad offsets, cycles) gives NO.
bool hasBoundedNesting(std::string_view bytes, int maximumDepth = kMaximumNesting);

}  // namespace corvane::plist
