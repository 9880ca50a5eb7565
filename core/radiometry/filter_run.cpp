#include "core/radiometry/filter_run.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/imagefile/staged_file_set.h"
#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

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
  const auto declared = CheckedMul(width, height);
  FilePtr in = declared ? OpenBandFile(inPath, *declared, messenger) : nullptr;
  if (!in) return false;
  std::setvbuf(in.get(), nullptr, _IOFBF, size_t{1} << 20);
  const int h = FilterHalfWindow(record);
  const int windowRows = 2 * h + 1;
  // The ring of window rows and one output row.
  std::vector<uint8_t> buffer;
  if (!AllocateOrReport(messenger, [&] {
        if (!AllocatableBytes(CheckedMul(width, windowRows + 1))) throw std::bad_alloc();
        buffer.resize(static_cast<size_t>(width) * static_cast<size_t>(windowRows + 1));
      }))
    return false;
  BandWriter out;
  if (!out.Create(outPath)) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }

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
    if (!out.Write(row, w)) return out.Close(messenger);
    if (computed && y >= h && y < height - h && run.progress)
      run.progress->SetProgress(
          static_cast<float>((static_cast<double>(run.bandsDone) * height + y) / all));
  }
  if (!out.Close(messenger)) return false;
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
  if (!SetBandsWhole(sourceBase, width, height, messenger)) return false;
  const auto entries = SetFiles(sourceBase);
  int bandFiles = 0, eightBitBands = 0;
  for (const auto& e : entries) {
    const int type = ParseBandSuffix(LowerExtension(e)).SampleType();
    if (type != 0) ++bandFiles;
    if (type == kSample8) ++eightBitBands;
  }
  ProgressScope shown(progress, 0, "処理中");
  if (!DeleteFiles(outputBase + ".*")) return progress.Fail(messenger, kMsgDeleteFailed);
  if (bandFiles == 0) return progress.Fail(messenger, kMsgOpenFailed);
  FilterRunProgress run{&progress, 0, std::max(1, eightBitBands)};
  for (const auto& e : entries) {
    const BandSuffix suffix = ParseBandSuffix(LowerExtension(e));
    if (LowerExtension(e) == "inf" || suffix.letter == 'd') continue;
    if (suffix.letter == 'b') {
      const int band = suffix.band;
      if (!WriteBandDescription(outputBase, band, kFilteredBandText))
        return progress.Fail(messenger, kMsgOpenFailed);
      if (!FilterBandFile(e.string(), BandFilePath(outputBase, kSample8, band), width, height,
                          record, messenger, run))
        return false;
      continue;
    }
    const fs::path target = outputBase + e.extension().string();
    std::error_code ec;
    fs::copy_file(e, target, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, ec);
    if (ec) return progress.Fail(messenger, kMsgCopyFailed);
  }
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
