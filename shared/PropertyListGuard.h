#pragma once
// A guard run before handing bytes to libplist, which trusts its input more
// than a process hosting it can afford:
// - its parser and its node release recurse once per nesting level, so a few
//   hundred thousand nested arrays overflow the stack;
// - a binary list may reference one object from many places, and the parser
//   copies the object for each reference: N levels of arrays holding two
//   references to the next level expand to 2^N nodes from a few bytes, and a
//   failed allocation inside the library is not checked;
// - the library asserts that a dictionary key holds no NUL character, and a
//   binary list can store one.

#include <cstddef>
#include <optional>
#include <string_view>

namespace corvane::plist {

// The deepest nesting of arrays and dictionaries accepted in a file. No file
// of the system comes near it.
inline constexpr int kMaximumNesting = 128;
// The largest property list accepted, in bytes. The largest file of the
// system, the application names file, stays far below it.
inline constexpr std::size_t kMaximumPropertyListSize = 1024u * 1024u;
// The most memory a binary list may expand to, counted as a fixed cost per
// node plus the text and data each node holds, every repeat included.
inline constexpr std::size_t kMaximumExpandedSize = 4u * 1024u * 1024u;
inline constexpr std::size_t kExpandedNodeCost = 64;

// Why libplist must not see these bytes, or none when it may. Only the
// structure is checked: passing says nothing about the rest being well
// formed. A binary list whose structure cannot be followed (bad offsets,
// cycles) is refused.
std::optional<std::string_view> structureRefusal(std::string_view bytes, int maximumDepth = kMaximumNesting);

}  // namespace corvane::plist
