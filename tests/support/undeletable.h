// Deletion failures on demand: while an Undeletable lives, its file cannot
// be removed. An ordinary user gets a read-only folder; root, which ignores
// that, gets the file marked immutable. Active() is false where neither
// works (a file system without the flag), and the test should skip.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace lumora::test {

class Undeletable {
 public:
  explicit Undeletable(const std::string& file) : m_file(file) {
    if (geteuid() != 0) {
      m_folder = std::filesystem::path(file).parent_path().string();
      m_active = chmod(m_folder.c_str(), 0500) == 0;
      return;
    }
    m_active = SetImmutable(true);
  }
  ~Undeletable() {
    if (!m_active) return;
    if (m_folder.empty())
      SetImmutable(false);
    else
      chmod(m_folder.c_str(), 0700);
  }
  Undeletable(const Undeletable&) = delete;
  Undeletable& operator=(const Undeletable&) = delete;
  bool Active() const { return m_active; }

 private:
  bool SetImmutable(bool on) {
    const int fd = open(m_file.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
  }

  std::string m_file, m_folder;
  bool m_active = false;
};

}  // namespace lumora::test
