#pragma once
// POSIX side only: whole-file reads and writes on descriptors, errors mapped
// onto Windows numbers.
#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "platform/error.h"
#include "unique_fd.h"

namespace platform::posix {

// Reads from the descriptor's position to its end.
Result<std::string> readToEnd(int fd);
// Writes every byte, resuming after interrupted and partial writes, and
// waiting while a descriptor left non-blocking takes no more.
ErrorCode writeFully(int fd, const std::string& bytes);
// Opens an existing file with `flags` (O_RDONLY or O_RDWR). Only a regular
// file opens: a folder is access denied (5) and anything else (a FIFO, a
// device, also through a link) is a missing file (2), since Windows has no
// such files; the open never waits for a FIFO's other end.
ErrorCode openRegularFile(const std::string& path, int flags, Fd& fd);
// The whole of a regular file, opened as openRegularFile opens it.
Result<std::string> readWholeFile(const std::string& path);
// Opens a file that does not exist yet for writing, never through a link in
// its place, with exactly `mode` from the first byte (the umask cannot widen
// or narrow it): nobody else can have planted or opened it.
ErrorCode createExclusive(const std::string& path, mode_t mode, Fd& fd);
// A new file holding the bytes, made as createExclusive makes it; removed
// again when the bytes cannot be written.
ErrorCode createNewFile(const std::string& path, const std::string& bytes, mode_t mode);
// Windows refuses to overwrite a file with the read-only attribute; here a
// file nobody may write stands for it (root would write it all the same).
inline bool readOnly(const struct stat& info) { return (info.st_mode & 0222) == 0; }

}  // namespace platform::posix
