#include "core/radiometry/filter_run.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/imagefile/staged_file_set.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

constexpr size_t kStreamBuffer = size_t{1} << 20;

// Band number of an extension "b" / "d" + digits (1..255), else 0.
int NumberAfterLetter(const std::string& ext, char letter) {
  if (ext.size() < 2 || ext.size() > 4 || ext[0] != letter) return 0;
  int n = 0;
  for (size_t i = 1; i < ext.size(); ++i) {
    if (ext[i] < '0' || ext[i] > '9') return 0;
    n = n * 10 + (ext[i] - '0');
  }
  return n >= 1 && n <= 255 ? n : 0;
}

bool IsBandExtension(const std::string& ext) {
  return NumberAfterLetter(ext, 'b') || NumberAfterLetter(ext, 'i') || NumberAfterLetter(ext, 'r');
}

// Reads one row: 61234 on a read error, 61441 when the file ends early.
bool ReadRow(std::FILE* in, uint8_t* row, size_t width, Messenger& messenger) {
  if (std::fread(row, 1, width, in) == width) return true;
  messenger.ShowMessage(std::ferror(in) ? kMsgOpenFailed : kMsgBandFileShort);
  return false;
}

}  // namespace

bool FilterBandFile(const std::string& inPath, const std::string& outPath, int32_t width,
                    int32_t height, const FilterRecord& record, Messenger& messenger,
                    FilterRunProgress& run) {
  if (width < 1 || height < 1) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  FilePtr in(std::fopen(inPath.c_str(), "rb"));
  if (!in) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  // A band shorter than declared is refused before anything is allocated or
  // written, so a hostile size cannot ask for memory the file does not back.
  std::error_code ec;
  const auto size = fs::file_size(inPath, ec);
  const auto declared = CheckedMul(width, height);
  if (ec || !declared || size < static_cast<uintmax_t>(*declared)) {
    messenger.ShowMessage(ec ? kMsgOpenFailed : kMsgBandFileShort);
    return false;
  }
  const int h = FilterHalfWindow(record);
  const int windowRows = 2 * h + 1;
  // The ring of window rows and one output row.
  std::vector<uint8_t> buffer;
  try {
    if (!AllocatableBytes(CheckedMul(width, windowRows + 1))) throw std::bad_alloc();
    buffer.resize(static_cast<size_t>(width) * static_cast<size_t>(windowRows + 1));
  } catch (const std::bad_alloc&) {
    messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  FilePtr out(std::fopen(outPath.c_str(), "wb"));
  if (!out) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  std::setvbuf(in.get(), nullptr, _IOFBF, kStreamBuffer);
  std::setvbuf(out.get(), nullptr, _IOFBF, kStreamBuffer);

  const size_t w = static_cast<size_t>(width);
  auto ring = [&](int32_t y) { return buffer.data() + w * static_cast<size_t>(y % windowRows); };
  uint8_t* outRow = buffer.data() + w * static_cast<size_t>(windowRows);
  const bool computed = width >= windowRows && height >= windowRows;
  const double all = static_cast<double>(run.bandCount) * height;
  int32_t rowsRead = 0;
  for (int32_t y = 0; y < height; ++y) {
    const int32_t need = std::min(height - 1, y + h);
    for (; rowsRead <= need; ++rowsRead) {
      if (!ReadRow(in.get(), ring(rowsRead), w, messenger)) return false;
    }
    const uint8_t* row = ring(y);
    if (computed && y >= h && y < height - h) {
      const uint8_t* window[5];
      for (int k = 0; k < windowRows; ++k) window[k] = ring(y - h + k);
      if (h == 1)
        MedianRow(window, outRow, width);
      else
        ConvolveRow(window, outRow, width, record);
      row = outRow;
    }
    if (std::fwrite(row, 1, w, out.get()) != w) {
      messenger.ShowMessage(kMsgCreateFailed);
      return false;
    }
    if (computed && y >= h && y < height - h && run.progress)
      run.progress->SetProgress(
          static_cast<float>((static_cast<double>(run.bandsDone) * height + y) / all));
  }
  // A full disk shows only when the buffered rest is written.
  if (std::fclose(out.release()) != 0) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  ++run.bandsDone;
  return true;
}

bool RunFilter(const std::string& sourceBase, const std::string& outputBase,
               const FilterRecord& record, int32_t width, int32_t height, Messenger& messenger,
               Progress& progress) {
  if (SameFileSet(sourceBase, outputBase)) {
    messenger.ShowMessage(kMsgWorkingFileInUse);
    return false;
  }
  // Only files of this very set: "x.*" also matches "x.y.b01" of the set "x.y".
  const std::string setName = fs::path(sourceBase).filename().string();
  struct Entry {
    fs::path path;
    std::string ext;
  };
  std::vector<Entry> entries;
  int bandFiles = 0, eightBitBands = 0;
  for (const auto& p : FindFiles(sourceBase + ".*")) {
    const std::string name = p.filename().string();
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || !EqualsNoCase(name.substr(0, dot), setName)) continue;
    Entry e{p, ToLowerAscii(name.substr(dot + 1))};
    if (IsBandExtension(e.ext)) ++bandFiles;
    if (NumberAfterLetter(e.ext, 'b')) ++eightBitBands;
    entries.push_back(std::move(e));
  }
  progress.Create(0, "処理中");
  if (!DeleteFiles(outputBase + ".*")) {
    progress.Close();
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  if (bandFiles == 0) {
    progress.Close();
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  FilterRunProgress run{&progress, 0, std::max(1, eightBitBands)};
  for (const auto& e : entries) {
    if (e.ext == "inf" || NumberAfterLetter(e.ext, 'd')) continue;
    if (const int band = NumberAfterLetter(e.ext, 'b')) {
      if (!WriteBandDescription(outputBase, band, kFilteredBandText)) {
        progress.Close();
        messenger.ShowMessage(kMsgOpenFailed);
        return false;
      }
      if (!FilterBandFile(e.path.string(), BandFilePath(outputBase, kSample8, band), width, height,
                          record, messenger, run)) {
        progress.Close();
        return false;
      }
      continue;
    }
    const fs::path target = outputBase + e.path.extension().string();
    std::error_code ec;
    fs::copy_file(e.path, target, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, ec);
    if (ec) {
      progress.Close();
      messenger.ShowMessage(kMsgCopyFailed);
      return false;
    }
  }
  progress.Close();
  return true;
}

StepBody MakeFilterStep(const FilterRecord& record) {
  return [record](const StepSource& source, const std::string& targetBase, StepResult& result,
                  Messenger& messenger, Progress& progress) {
    if (!RunFilter(source.basePath, targetBase, record, source.settings.pixels,
                   source.settings.lines, messenger, progress))
      return false;
    result.lines = source.settings.lines;
    result.pixels = source.settings.pixels;
    result.fileState = kStateFiltered;
    return true;
  };
}

}  // namespace lumora
