#pragma once
// Reading and writing property-list files through libplist. Reading accepts
// the XML and the binary form; writing produces the standard XML form and
// replaces the file atomically. Nothing here throws.

#include <filesystem>
#include <optional>
#include <string>

#include "shared/AtomicFile.h"
#include "shared/Outcome.h"
#include "shared/PropertyList.h"

namespace corvane::plist {

// Parses a property list held in memory (XML or binary); none when malformed,
// or refused before parsing (shared/PropertyListGuard.h: too large, nested
// too deep, expanding too far, a NUL in a key). `whyNot`, when given,
// receives the reason of a none.
std::optional<Value> parse(std::string_view bytes, std::string* whyNot = nullptr);
// The standard XML form of a value; empty when the value nests more than
// kMaximumNesting containers (shared/PropertyListGuard.h). The XML form
// keeps dates to the whole second.
std::string toXml(const Value& value);

// A property-list file as a reader found it.
enum class FileProblem {
    None,
    Missing,
    NotAFile,    // a link, FIFO, device, socket or directory in the file's place
    CannotRead,  // permission, too large, I/O error: what it holds is unknown
    Malformed,   // read whole, and not a property-list dictionary
};

struct DictionaryFile {
    std::optional<Dictionary> dictionary;
    FileProblem problem = FileProblem::None;
    // In words: what was found or why it failed.
    std::string reason;
};

// Reads the file as a dictionary and says why not (see FileProblem). Never
// follows a link nor opens anything but a regular file.
DictionaryFile readDictionaryFile(const std::filesystem::path& path);

// The file about to be rewritten, for a writer that keeps the keys it does
// not set: its dictionary; or an empty one when it is missing, or when it is
// not a file or malformed and was moved aside (to `movedTo`, named after
// `secondsSince1970`). No dictionary when it cannot be read, or could not be
// moved aside: nothing may then be written over it.
struct Rewrite {
    std::optional<Dictionary> dictionary;
    DictionaryFile read;
    std::optional<std::filesystem::path> movedTo;
};
Rewrite prepareRewrite(const std::filesystem::path& path, double secondsSince1970);

// The whole file as a value; none when missing, empty, truncated or malformed.
std::optional<Value> readFile(const std::filesystem::path& path, std::string* whyNot = nullptr);
// The file as a dictionary; none also when its root is not a dictionary.
std::optional<Dictionary> readDictionary(const std::filesystem::path& path, std::string* whyNot = nullptr);

// Writes the XML form to a temporary file in the same folder, flushes it and
// renames it over the path, so a reader sees the old or the new whole file.
// Does not create folders. On failure the old file stays and the answer
// carries the reason.
Outcome writeFile(const std::filesystem::path& path, const Value& value);
// The same, with the durability the caller needs (see writeFileAtomically).
Outcome writeFile(const std::filesystem::path& path, const Value& value, Durability durability);

}  // namespace corvane::plist
