#include "core/imagefile/band_io.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"

namespace lumora {

namespace {
// Band files are written in long runs.
constexpr size_t kStreamBuffer = size_t{1} << 20;
}  // namespace

FilePtr OpenBandFile(const std::string& path, int64_t bytes, Messenger& messenger) {
  FilePtr f = OpenRegularFile(ResolveNoCase(path).string());
  if (!f) {
    messenger.ShowMessage(kMsgOpenFailed);
    return nullptr;
  }
  // Refused before anything is allocated or written, so a hostile size cannot
  // ask for memory the file does not back.
  const int64_t size = FileSize(f.get());
  if (size < 0) {
    messenger.ShowMessage(kMsgOpenFailed);
    return nullptr;
  }
  if (size < bytes) {
    messenger.ShowMessage(kMsgBandFileShort);
    return nullptr;
  }
  return f;
}

FilePtr OpenBand(const std::string& basePath, int sampleType, int band, int64_t pixels,
                 int64_t lines, Messenger& messenger) {
  const auto bytes = CheckedMul(pixels, lines, int64_t{SampleBytes(sampleType)});
  if (!bytes || SampleBytes(sampleType) == 0) {
    messenger.ShowMessage(kMsgBandFileShort);
    return nullptr;
  }
  return OpenBandFile(BandFilePath(basePath, sampleType, band), *bytes, messenger);
}

bool SetBandsWhole(const std::string& basePath, int64_t pixels, int64_t lines,
                   Messenger& messenger) {
  namespace fs = std::filesystem;
  fs::path folder = fs::path(basePath).parent_path();
  if (folder.empty()) folder = ".";
  const std::string pattern = fs::path(basePath).filename().string() + ".*";
  const size_t nameSize = pattern.size() - 1;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!NameMatches(pattern, name)) continue;
    const int type = ParseBandSuffix(std::string_view(name).substr(nameSize)).SampleType();
    if (type == 0) continue;
    const auto bytes = CheckedMul(pixels, lines, int64_t{SampleBytes(type)});
    if (!bytes) {
      messenger.ShowMessage(kMsgBandFileShort);
      return false;
    }
    if (!OpenBandFile(it->path().string(), *bytes, messenger)) return false;
  }
  if (!ec) return true;
  messenger.ShowMessage(kMsgOpenFailed);
  return false;
}

bool ReadAt(std::FILE* f, void* data, size_t bytes, int64_t offset) {
  auto* p = static_cast<uint8_t*>(data);
  while (bytes > 0) {
    const ssize_t n = pread(fileno(f), p, bytes, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n, offset += n, bytes -= static_cast<size_t>(n);
  }
  return true;
}

bool BandWriter::Create(const std::string& path, bool exclusive) {
  m_path = path;
  m_error = 0;
  m_file = CreateFileForWriting(path, exclusive);
  m_ok = m_file != nullptr;
  if (!m_ok) NoteWriteFailure(path, errno);
  if (m_ok) std::setvbuf(m_file.get(), nullptr, _IOFBF, kStreamBuffer);
  return m_ok;
}

bool BandWriter::Write(const void* data, size_t bytes) {
  if (m_ok && std::fwrite(data, 1, bytes, m_file.get()) != bytes) {
    m_ok = false;
    m_error = errno;
  }
  return m_ok;
}

bool BandWriter::WriteAt(const void* data, size_t bytes, int64_t offset) {
  const int fd = m_file ? fileno(m_file.get()) : -1;
  const auto* p = static_cast<const uint8_t*>(data);
  const int64_t start = offset, length = static_cast<int64_t>(bytes);
  while (fd >= 0 && bytes > 0) {
    const ssize_t n = pwrite(fd, p, bytes, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    p += n, offset += n, bytes -= static_cast<size_t>(n);
  }
  if (fd >= 0 && bytes == 0) {
    // Large parts come in as they are done: each goes on to the disk at
    // once (small ones are left to gather into larger writes).
    if (length >= (int64_t{1} << 19)) StartWriteBack(fd, start, length);
    return true;
  }
  const int error = fd >= 0 ? errno : 0;
  const std::lock_guard<std::mutex> lock(m_failure);
  if (m_ok) m_error = error;
  m_ok = false;
  return false;
}

bool BandWriter::Close(Messenger& messenger) {
  // A full disk often shows only when the buffered rest is written.
  const bool hadFile = m_file != nullptr;
  const bool closed = hadFile && CloseWritten(m_file);
  if (hadFile && !(closed && m_ok)) NoteWriteFailure(m_path, m_error ? m_error : errno);
  m_ok = closed && m_ok;
  m_file.reset();
  if (!m_ok) messenger.ShowMessage(kMsgCreateFailed);
  return m_ok;
}

}  // namespace lumora
