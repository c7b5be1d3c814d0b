#pragma once
// Keeping a file that cannot be read before writing over it: the file is
// renamed to "<name>.unreadable-<time>" in the same folder, so that whatever
// it held (another tool's keys, a newer format) can still be recovered.

#include <filesystem>
#include <optional>

namespace corvane {

// Renames the file to "<name>.unreadable-YYYYMMDDTHHMMSSZ" (UTC, from
// secondsSince1970), adding "-2", "-3"... when that name is taken. Answers
// the new path, or none when the file could not be moved.
std::optional<std::filesystem::path> moveAside(const std::filesystem::path& file, double secondsSince1970);

}  // namespace corvane
