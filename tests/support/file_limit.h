// Write failures on demand: a file size limit makes every write past it fail
// (SIGXFSZ is ignored while the limit is in place, so the write returns an
// error instead of ending the process).
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <memory>

#include "core/support/progress.h"

namespace lumora::test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_saved);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_handler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit m_saved{};
  void (*m_handler)(int) = SIG_DFL;
};

// A progress window that puts the limit in place when a run opens it, so the
// files written before (copies, descriptions) stay whole and the band writes
// after fail. The limit goes with the sink.
class LimitWhenProgressOpens : public ProgressSink {
 public:
  explicit LimitWhenProgressOpens(rlim_t bytes) : m_bytes(bytes) {}
  void Open(const std::string&) override {
    if (!m_limit) m_limit = std::make_unique<FileSizeLimit>(m_bytes);
  }
  void Paint(float, const std::string&) override {}
  void Close() override {}

 private:
  rlim_t m_bytes;
  std::unique_ptr<FileSizeLimit> m_limit;
};

// A shell prefix for test::RunCli that runs the command with files limited
// to a few kilobytes (512-byte blocks under sh, 1024 under bash).
inline const char* kSmallFileLimit = "ulimit -f 2; trap '' XFSZ; exec ";

}  // namespace lumora::test
