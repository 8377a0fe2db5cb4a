// Whole-file writes that replace the target only when complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <sys/types.h>

namespace vellumark {

// Writes bytes to a temporary file beside path, flushes it to disk and renames
// it over path. On any failure the temporary file is removed, path keeps its
// earlier content, and script_error carries the message ("Disk full",
// "File access denied", ...). An existing target keeps its permissions.
void atomic_write_file(const std::string& path, std::span<const std::uint8_t> bytes);

// Test seam: every write(2) of atomic_write_file goes through this function
// when it is set. Writes are made in chunks of at most kWriteChunk bytes.
inline constexpr std::size_t kWriteChunk = 4096;
using write_hook = std::function<ssize_t(int fd, const void* buf, std::size_t n)>;
void set_write_hook(write_hook hook);

}  // namespace vellumark
