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
// over the target. A new file takes mode 0600, narrowed further by the
// umask; a regular file it replaces keeps its permissions, its owner always
// keeping read and write (a file of mode 000 is not copied as such). What
// stands at the path is never followed: a symbolic link is replaced, not its
// target. Does not create folders. On any failure the answer carries the
// system's reason (ENOENT for a missing folder, ENOSPC for a full disk...);
// the temporary file is then removed and the old file stays as it was.
Outcome writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// How much of a replacement a crash of the system may undo; a reader never
// finds a part of the new file whatever the choice, since the rename replaces
// it whole. Flushed: nothing once the call answered (the new file and the
// rename are both flushed). MayRevert: the new file is flushed before the
// rename, the rename is not: the previous whole file may be back after a
// crash. One flush instead of two. Unflushed: nothing is flushed; after a
// crash the file may be the previous one or empty. Only for a file rewritten
// so often that its next write repairs the loss.
enum class Durability { Flushed, MayRevert, Unflushed };
Outcome writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, Durability durability);

// Removes, directly in the folder, the temporary files of atomic writes that
// never finished: those of a process that is gone, of this process (called
// when no write of its own is under way, as at start-up), or older than an
// hour (a process id taken again). Other files are never touched. Answers
// the number removed.
std::size_t removeStaleTemporaryFiles(const std::filesystem::path& folder);

// Why a file's content could not be had.
enum class ReadFailure {
    None,
    Missing,     // nothing at the path
    NotAFile,    // a symbolic link, FIFO, device, socket or directory
    CannotRead,  // permission, larger than allowed, an I/O error: the file may be sound
};

struct FileContent {
    std::optional<std::string> bytes;
    ReadFailure failure = ReadFailure::None;
    // What was found or what went wrong, in words ("a FIFO", "Permission
    // denied", "too large: 52428800 bytes, at most 1048576").
    std::string reason;
};

// The whole content of the regular file at the path. Links are not followed
// and the entry's type is checked before it is opened (and again on the open
// descriptor), so that nothing can make the caller block: a FIFO or device in
// the file's place is reported, never opened for reading.
FileContent readRegularFile(const std::filesystem::path& path, std::size_t maximumSize = kMaximumFileSize);

// The whole content of a regular file; none when it is missing, not a regular
// file, unreadable or larger than maximumSize.
std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maximumSize = kMaximumFileSize);

// What stands at the path when it is not a regular file ("a symbolic link",
// "a FIFO", "a directory", "a character device", "a block device", "a
// socket"); none when it is a regular file or nothing is there.
std::optional<std::string> nonRegularEntry(const std::filesystem::path& path);

}  // namespace corvane
