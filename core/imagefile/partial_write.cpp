#include "core/imagefile/partial_write.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "core/imagefile/band_io.h"
#include "core/imagefile/ground_scale.h"
#include "core/imagefile/level_file.h"
#include "core/imagefile/staged_file_set.h"
#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace fs = std::filesystem;
namespace {

bool AreaInside(const AreaRect& a, int pixels, int lines) {
  return a.m_nAreaLeft >= 0 && a.m_nAreaTop >= 0 && a.m_nAreaPixels >= 1 && a.m_nAreaLines >= 1 &&
         int64_t{a.m_nAreaLeft} + a.m_nAreaPixels <= pixels &&
         int64_t{a.m_nAreaTop} + a.m_nAreaLines <= lines;
}

}  // namespace

bool CopyRasterWindow(const std::string& dstPath, const std::string& srcPath, bool dem,
                      int bytesPerSample, int imagePixels, const AreaRect& area,
                      WindowCopyProgress& run, Messenger& messenger) {
  FilePtr src = OpenRegularFile(ResolveNoCase(srcPath).string());
  BandWriter dst;
  if (!src || !dst.Create(dstPath)) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  // Altitudes the level file does not give are 0.
  ElevationRange level;
  level.minAltitude = 0;
  level.maxAltitude = 0;
  if (dem) {
    if (!ReadElevationRangeFile(ResolveNoCase(StripExtension(srcPath) + ".lev").string(), level)) {
      messenger.ShowMessage(kMsgOpenFailed);
      return false;
    }
    if (level.minAltitude > level.maxAltitude) {
      messenger.ShowMessage(kMsgBadDem);
      return false;
    }
  }
  const auto rowBytes = CheckedMul(area.m_nAreaPixels, bytesPerSample);
  if (!AllocatableBytes(rowBytes)) {
    messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  std::vector<uint8_t> row;
  if (!AllocateOrReport(messenger, [&] { row.resize(static_cast<size_t>(*rowBytes)); }))
    return false;
  int minCode = 255, maxCode = 0;  // non-zero codes of the window; sea is 0
  for (int i = 0; i < area.m_nAreaLines; ++i) {
    const auto offset = CheckedMul(int64_t{area.m_nAreaTop} + i, imagePixels);
    const auto start = offset ? CheckedAdd(*offset, area.m_nAreaLeft) : std::nullopt;
    const auto bytes = start ? CheckedMul(*start, bytesPerSample) : std::nullopt;
    if (!bytes || !SeekTo(src.get(), *bytes) ||
        std::fread(row.data(), 1, row.size(), src.get()) != row.size()) {
      messenger.ShowMessage(kMsgBandFileShort);
      return false;
    }
    if (dem) {
      for (uint8_t v : row) {
        if (v == 0) continue;
        minCode = std::min<int>(minCode, v);
        maxCode = std::max<int>(maxCode, v);
      }
    }
    if (!dst.Write(row.data(), row.size())) return dst.Close(messenger);
    ++run.counter;
    if (run.progress)
      run.progress->SetProgress(static_cast<float>(run.counter) / static_cast<float>(run.total));
  }
  if (!dst.Close(messenger)) return false;
  if (dem) {
    level.minCode = minCode;
    level.maxCode = maxCode;
    if (!WriteElevationRangeFile(StripExtension(dstPath) + ".lev", level)) {
      messenger.ShowMessage(kMsgOpenFailed);
      return false;
    }
  }
  return true;
}

bool PartialWrite(const std::string& newBase, const PartialWriteSource& source,
                  const AreaRect& area, Progress& progress, Messenger& messenger) {
  if (!AreaInside(area, source.imagePixels, source.imageLines)) {
    messenger.ShowMessage(kMsgAreaOutsideImage);
    return false;
  }
  const std::string docBase = StripExtension(source.settingsPath);
  // The target's old files go before the new ones arrive; a target naming
  // the source set would lose the image being cut.
  if (SameFileSet(newBase, docBase)) {
    messenger.ShowMessage(kMsgWorkingFileInUse);
    return false;
  }
  // A window near the top would not reach the end of a short band.
  if (!SetBandsWhole(docBase, source.imagePixels, source.imageLines, messenger)) return false;

  const auto items = SetFiles(docBase);
  int64_t rasterFiles = 0;
  bool hasDem = false;
  for (const auto& f : items) {
    if (ParseBandSuffix(LowerExtension(f)).SampleType()) ++rasterFiles;
    if (LowerExtension(f) == "dem") hasDem = true;
  }

  // The new corner first: a settings file the program would refuse is never
  // written. An image without a geographic reference keeps the "not set" values.
  double lon = source.settings.leftTopLon, lat = source.settings.leftTopLat;
  if (source.settings.HasGeoReference() &&
      !WindowCorner(source.settings.leftTopLon, source.settings.leftTopLat,
                    source.settings.inclination, source.settings.lengthPerPixel, area.m_nAreaLeft,
                    area.m_nAreaTop, lon, lat)) {
    messenger.ShowMessage(kMsgBadInf);
    return false;
  }

  StagedFileSet staged;
  if (!staged.Begin(newBase, messenger)) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }

  WindowCopyProgress run;
  run.progress = &progress;
  run.total =
      std::max<int64_t>(1, rasterFiles * area.m_nAreaLines + (hasDem ? area.m_nAreaLines : 0));
  ProgressScope shown(progress, static_cast<int>(std::min<int64_t>(run.total / 100, INT32_MAX)),
                      "部分書き出し中");

  for (const auto& path : items) {
    const std::string ext = LowerExtension(path);
    const std::string target = staged.StageBase() + "." + ext;
    const int sampleBytes = SampleBytes(ParseBandSuffix(ext).SampleType());
    bool ok = true;
    if (sampleBytes || ext == "dem") {
      ok = CopyRasterWindow(target, path.string(), ext == "dem", sampleBytes ? sampleBytes : 1,
                            source.imagePixels, area, run, messenger);
    } else if (ext == "inf") {
      ok = RewriteSettingsForPartialWrite(path.string(), target, area.m_nAreaLines,
                                          area.m_nAreaPixels, lon, lat, messenger);
    } else if ((!ext.empty() && ext[0] == 'd') || ext == "brd") {
      // Descriptions, and the display state a bird's-eye window still needs
      // for its legend, are copied as they are.
      std::error_code ec;
      fs::copy_file(path, target, fs::copy_options::overwrite_existing, ec);
      if (ec) {
        messenger.ShowMessage(kMsgCopyFailed);
        ok = false;
      }
    }
    if (!ok) return false;
  }
  progress.Close();
  return staged.Commit(messenger);
}

}  // namespace lumora
