#include "core/support/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <limits>
#include <utility>

namespace lumora {

namespace {

FilePtr Adopt(int fd, const char* mode) {
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, mode);
  if (!f) close(fd);
  return FilePtr(f);
}

bool FitsOffset(int64_t offset) {
  static_assert(sizeof(off_t) >= sizeof(int64_t), "band files exceed 2 GiB");
  return offset >= std::numeric_limits<off_t>::min() && offset <= std::numeric_limits<off_t>::max();
}

}  // namespace

FilePtr OpenRegularFile(const std::string& path) {
  // Non-blocking, so that opening a FIFO returns at once; the type is checked
  // on the open descriptor, so nothing can be swapped in between.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return Adopt(fd, "rb");
}

FilePtr CreateFileForWriting(const std::string& path, bool exclusive) {
  const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
  return Adopt(open(path.c_str(), flags, 0666), "wb");
}

int64_t FileSize(std::FILE* f) {
  struct stat st;
  if (!f || fstat(fileno(f), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool SeekTo(std::FILE* f, int64_t offset) {
  return offset >= 0 && FitsOffset(offset) && fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool SeekBy(std::FILE* f, int64_t offset) {
  return FitsOffset(offset) && fseeko(f, static_cast<off_t>(offset), SEEK_CUR) == 0;
}

namespace {
thread_local WriteFailure g_writeFailure;
}  // namespace

void NoteWriteFailure(const std::string& path, int error) {
  namespace fs = std::filesystem;
  // Staging folders (".lumora-stage-PID-XXXXXX") are ours, not the user's.
  const fs::path file(path), folder = file.parent_path();
  const bool staged = folder.filename().string().rfind(".lumora-stage-", 0) == 0;
  g_writeFailure = {staged ? (folder.parent_path() / file.filename()).string() : path, error};
}

WriteFailure TakeWriteFailure() { return std::exchange(g_writeFailure, WriteFailure{}); }

void StartWriteBack(int fd, int64_t offset, int64_t bytes) {
#if defined(__linux__)
  sync_file_range(fd, offset, bytes, SYNC_FILE_RANGE_WRITE);
#else
  (void)fd, (void)offset, (void)bytes;
#endif
}

void StartWriteBack(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  StartWriteBack(fd);
  close(fd);
}

bool CloseWritten(FilePtr& f) {
  if (!f) return false;
  constexpr int64_t kLarge = int64_t{1} << 20;
  if (std::fflush(f.get()) == 0 && ftello(f.get()) >= kLarge) StartWriteBack(fileno(f.get()));
  const bool failed = std::ferror(f.get()) != 0;
  return std::fclose(f.release()) == 0 && !failed;
}

}  // namespace lumora
