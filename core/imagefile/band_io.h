// Band files in one place: opening a band with its length checked, and
// writing one with every failure reported. (Which names are band files of a
// set is told by ParseBandSuffix and SetFiles in core/support/file_set.h.)
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "core/support/file_handle.h"
#include "core/support/messenger.h"

namespace lumora {

// Opens a band file (found without regard to case) for reading and checks
// that it holds at least `bytes` bytes. 61234 when it is missing, unreadable
// or not a regular file; 61441 when it is shorter.
FilePtr OpenBandFile(const std::string& path, int64_t bytes, Messenger& messenger);
// The same for band `band` of type sampleType of the set, pixels x lines samples.
FilePtr OpenBand(const std::string& basePath, int sampleType, int band, int64_t pixels,
                 int64_t lines, Messenger& messenger);

// Every band file of the set base names (".b01", ".I02", ... of any kind
// of file: a folder in a band's place counts) opened as OpenBand opens it,
// pixels x lines samples each; false after the first refusal. A step that
// takes the whole set must not leave out a band it cannot read.
bool SetBandsWhole(const std::string& basePath, int64_t pixels, int64_t lines,
                   Messenger& messenger);

// Reads bytes at offset of f without moving or using its stream position,
// so that threads may read parts of one file at once. False when fewer bytes
// were there.
bool ReadAt(std::FILE* f, void* data, size_t bytes, int64_t offset);

// A band file being written. A failed write is remembered, so a caller may
// write on and look once; Close reports 61289 when the file could not be
// created or anything (the buffered rest included) was not written.
class BandWriter {
 public:
  // False (without a message) when the file cannot be created.
  bool Create(const std::string& path, bool exclusive = false);
  bool Write(const void* data, size_t bytes);
  // Writes at a byte offset past the stream's buffer: threads may write parts
  // of one file at once (not mixed with Write). A failure is remembered.
  bool WriteAt(const void* data, size_t bytes, int64_t offset);
  bool Close(Messenger& messenger);
  bool ok() const { return m_ok; }

 private:
  FilePtr m_file;
  bool m_ok = false;
  std::string m_path;
  int m_error = 0;       // of the first failed write
  std::mutex m_failure;  // guards m_ok and m_error against WriteAt's threads
};

}  // namespace lumora
