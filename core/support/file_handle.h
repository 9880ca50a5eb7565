// Files opened through one door: a handle that closes itself, reading that
// refuses anything but a regular file (a FIFO would block forever, a device
// never ends), writing that never follows a link planted at the name, 64-bit
// offsets, and a close that says whether the buffered rest reached the disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace lumora {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for binary reading. Null when it is missing or
// unreadable, and when it is a FIFO, a folder, a device or a link to one;
// a FIFO without a writer is not waited for.
FilePtr OpenRegularFile(const std::string& path);

// Creates (or truncates) a file for binary writing; the last component of
// the path is never followed when it is a symbolic link. With exclusive, an
// existing file of that name is an error too. Null on failure.
FilePtr CreateFileForWriting(const std::string& path, bool exclusive = false);

// Size in bytes of an open file; -1 when it cannot be told.
int64_t FileSize(std::FILE* f);

// Moves to an absolute offset / by a relative one, beyond 2 GiB as well;
// false when the offset cannot be reached.
bool SeekTo(std::FILE* f, int64_t offset);
bool SeekBy(std::FILE* f, int64_t offset);

// Closes a file that was written; false when anything written earlier or the
// buffered rest could not be written. A large file starts on its way to the
// disk, so that a later fsync has less to wait for.
bool CloseWritten(FilePtr& f);

// Starts writing a file's data (all of it, or `bytes` from `offset`) to the
// disk without waiting: a hint.
void StartWriteBack(int fd, int64_t offset = 0, int64_t bytes = 0);
void StartWriteBack(const std::string& path);

// The last file that could not be written, with the system's error number,
// so that a message can name it and say why (a full disk, a read-only one).
// A file written in a staging folder is named by the name it was to take.
struct WriteFailure {
  std::string path;  // empty when none is pending
  int error = 0;
};
void NoteWriteFailure(const std::string& path, int error);
// The failure noted since the last call, if any; it is no longer pending.
WriteFailure TakeWriteFailure();

}  // namespace lumora
