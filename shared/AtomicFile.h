#pragma once
// Whole-file reading and atomic replacement. A reader of a file written here
// sees either the old or the new whole file, never a part. Nothing here throws.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "shared/Outcome.h"

namespace corvane {

// Files larger than this are refused by readWholeFile: no file of the system
// comes near it, and a runaway file must not exhaust the host's memory.
inline constexpr std::size_t kMaximumFileSize = 64u * 1024u * 1024u;

// Writes the bytes to a new temporary file in the target's folder (named
// ".<name>.corvane-<process id>.XXXXXX"), flushes it to disk and renames it
// over the target. Keeps the permissions of a file it
// replaces. Does not create folders. On any failure the answer carries the
// system's reason (ENOENT for a missing folder, ENOSPC for a full disk...);
// the temporary file is then removed and the old file stays as it was.
Outcome writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// How much of a replacement a crash may undo. Flushed: nothing once the
// call answered (the new file and the rename are both flushed). MayRevert:
// the new file is flushed before the rename, so a reader never finds a part
// of it, but the rename itself is not: after a crash of the system the
// previous whole file may be back. One flush instead of two.
enum class Durability { Flushed, MayRevert };
Outcome writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, Durability durability);

// Removes, directly in the folder, the temporary files of atomic writes that
// never finished: those of a process that is gone, of this process (called
// when no write of its own is under way, as at start-up), or older than an
// hour (a process id taken again). Other files are never touched. Answers
// the number removed.
std::size_t removeStaleTemporaryFiles(const std::filesystem::path& folder);

// The whole content of a regular file; none when it is missing, not a regular
// file, unreadable or larger than maximumSize.
std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maximumSize = kMaximumFileSize);

}  // namespace corvane
