// Whole-file writes that keep what the user protected and every name of the
// file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include <sys/types.h>

namespace vellumark {

// Reads a regular file read-only into memory; anything else (a FIFO, a
// device, a socket) is refused without waiting on it. A file longer than
// `most` bytes is refused before a byte of it is read: "PATH is N bytes
// long; WHAT is at most MOST bytes" (`what`: "a script", ...). Throws
// script_error ("File not found", "Invalid filename", "File access denied",
// "I/O error %d", or a message naming a path that is not a regular file).
std::vector<std::uint8_t> read_file_bytes(const std::string& path, std::size_t most, std::string_view what);

// Reads an open file to its end, or until it has given one byte more than
// `most`, which tells the caller that it is too long; `expected` bytes are
// made room for at once.
std::vector<std::uint8_t> read_at_most(int fd, std::size_t most, std::size_t expected = 0);

// Saves bytes as the content of path. A symbolic link is followed (a dangling
// one: the file it names is created); a link loop, and anything that is not a
// regular file, are refused with a message naming path; a file the process
// may not write is refused with "File access denied".
//
// Normally the bytes go to a temporary file beside the target, which is
// flushed and renamed over it with the target's permissions, owner and group:
// the target then has its earlier or its new content, never a mix, and on any
// failure the temporary file is removed and the target keeps its content.
//
// A file with more than one name, a file in a folder the process may not
// write, and a file whose owner or group a replacement could not keep are
// written in place instead, so that every name sees the new content and
// nothing about the file changes but its bytes. The final size is reserved
// first, so that a full disk is found before the first byte changes; a
// failure after that point says that the file may be incomplete.
//
// script_error carries the message ("Disk full", "File access denied", ...).
//
// With backup_rule::keep, a regular file already at path first has its
// present bytes kept as backup_name(path) beside it, once the write itself is
// known to be allowed; that file is written as any file is (above), so an
// older backup is replaced whole. When the backup cannot be read or written,
// nothing is saved: script_error says so in the program's words and the
// target keeps its content.
enum class backup_rule : std::uint8_t { none, keep };
void atomic_write_file(const std::string& path, std::span<const std::uint8_t> bytes,
                       backup_rule backup = backup_rule::none);

// The name a backup of path is kept under: "NAME.bak" beside it.
std::string backup_name(const std::string& path);

// Writes bytes to path as a command-line tool writes its output: into a FIFO
// or a character device directly (a FIFO waits for its reader, and nothing
// is kept of it), anything else through atomic_write_file.
void write_output_file(const std::string& path, std::span<const std::uint8_t> bytes,
                       backup_rule backup = backup_rule::none);

// Test seam: every write(2) of the two functions above goes through this
// function when it is set. Writes are made in chunks of at most kWriteChunk
// bytes.
inline constexpr std::size_t kWriteChunk = 4096;
using write_hook = std::function<ssize_t(int fd, const void* buf, std::size_t n)>;
void set_write_hook(write_hook hook);

}  // namespace vellumark
