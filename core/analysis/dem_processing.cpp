#include "core/analysis/dem_processing.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/analysis/birdseye.h"
#include "core/analysis/shading.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"

namespace fs = std::filesystem;

namespace lumora {
namespace {

constexpr const char* kProcessingText = "処理中";

// Copies sourceBase + ext (in any letter case) beside targetBase under its
// name, keeping the extension as spelled.
bool CopyCompanion(const std::string& sourceBase, const std::string& ext,
                   const std::string& targetBase) {
  const fs::path target(targetBase);
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  return CopyFiles(fs::path(sourceBase + ext), folder, target.filename().string());
}

bool WriteDescriptions(const std::string& targetBase, const char* const* texts, int count,
                       Messenger& messenger) {
  for (int i = 0; i < count; ++i) {
    if (!WriteBandDescription(targetBase, i + 1, texts[i])) {
      messenger.ShowMessage(kMsgCreateFailed);
      return false;
    }
  }
  return true;
}

// The band files of a result, created before the work starts.
class BandOutputs {
 public:
  bool Create(const std::string& targetBase, int count, Messenger& messenger) {
    for (int i = 0; i < count; ++i) {
      if (!m_files[i].Create(BandFilePath(targetBase, kSample8, i + 1))) {
        messenger.ShowMessage(kMsgCreateFailed);
        return false;
      }
    }
    m_count = count;
    return true;
  }
  void Write(int band, const uint8_t* data, size_t bytes) { m_files[band].Write(data, bytes); }
  void WriteAt(int band, const uint8_t* data, size_t bytes, int64_t offset) {
    m_files[band].WriteAt(data, bytes, offset);
  }
  // Closes every file; 61289 (once) when anything could not be written.
  bool Finish(Messenger& messenger) {
    bool ok = true;
    for (int i = 0; i < m_count; ++i) ok = m_files[i].ok() && ok;
    if (!ok) {
      messenger.ShowMessage(kMsgCreateFailed);
      return false;
    }
    for (int i = 0; i < m_count; ++i)
      if (!m_files[i].Close(messenger)) return false;
    return true;
  }

 private:
  BandWriter m_files[3];
  int m_count = 0;
};

// The code file of a shading result, written from the codes the shading
// reads as its rows are done, so that the file is read only once. One that
// is longer than the image (its tail is never read) is copied whole, as are
// codes under two spellings of the name.
class CodesOutput {
 public:
  // False when the code file could not be copied or created.
  bool Start(const std::string& sourceBase, const std::string& targetBase,
             const ElevationModel& model) {
    const auto found = FindFiles(fs::path(sourceBase + ".dem"));
    std::error_code ec;
    if (found.size() != 1 || fs::file_size(found[0], ec) != model.codes.size() || ec)
      return CopyCompanion(sourceBase, ".dem", targetBase);
    const std::string name = found[0].filename().string();
    m_codes = model.codes.data();
    m_width = size_t(model.pixels);
    return m_file.Create(targetBase + name.substr(name.rfind('.')));
  }
  void Write(int32_t from, int32_t to) {
    if (m_codes)
      m_file.WriteAt(m_codes + from * m_width, (to - from) * m_width, int64_t(from * m_width));
  }
  // False with 61289 when the codes could not be written.
  bool Finish(Messenger& messenger) { return !m_codes || m_file.Close(messenger); }

 private:
  const uint8_t* m_codes = nullptr;
  size_t m_width = 0;
  BandWriter m_file;
};

bool GroundScaleUsable(double lengthPerPixel) {
  return lengthPerPixel > 0.0 && std::isfinite(lengthPerPixel);
}

// Steps every run of colouring or shading shares: old files away, the
// elevation companions, descriptions, band files. Without copyCodes the
// code file is only looked for: shading writes it itself (CodesOutput).
bool PrepareTarget(const StepSource& source, const std::string& targetBase, bool copyCodes,
                   const char* const* texts, int bands, BandOutputs& outputs,
                   Messenger& messenger) {
  if (!DeleteFiles(fs::path(targetBase + ".*"))) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  if (!CopyCompanion(source.basePath, ".lev", targetBase) ||
      (copyCodes ? !CopyCompanion(source.basePath, ".dem", targetBase)
                 : FindFiles(fs::path(source.basePath + ".dem")).empty())) {
    messenger.ShowMessage(kMsgCopyFailed);
    return false;
  }
  return WriteDescriptions(targetBase, texts, bands, messenger) &&
         outputs.Create(targetBase, bands, messenger);
}

// Opens the progress window and loads the image's elevation model.
bool StartAndLoad(const StepSource& source, ElevationModel& model, Messenger& messenger,
                  Progress& progress) {
  // Loading and writing each count the lines once; in 64 bits, as a line
  // count near the int limit would overflow when doubled.
  progress.Create(static_cast<int>(int64_t{2} * source.settings.lines / 100), kProcessingText);
  progress.SetProgress(0.0f);
  return LoadElevation(source.settingsPath, source.settings.pixels, source.settings.lines, model,
                       messenger, progress);
}

bool RunColouring(const DemRequest& request, const StepSource& source,
                  const std::string& targetBase, Messenger& messenger, Progress& progress) {
  BandOutputs outputs;
  if (!PrepareTarget(source, targetBase, true, kElevationBandText, 3, outputs, messenger))
    return false;
  ElevationModel model;
  if (!StartAndLoad(source, model, messenger, progress)) return false;
  const auto colours =
      CodeColours(model, DisplayRangeFor(request.kind, model.rangeBottom, model.rangeTop));
  const size_t w = size_t(model.pixels);
  std::vector<uint8_t> rows(3 * w);
  for (int32_t y = 0; y < model.lines; ++y) {
    ColourCodes(&model.codes[y * w], w, colours, rows.data(), rows.data() + w, rows.data() + 2 * w);
    for (int b = 0; b < 3; ++b) outputs.Write(b, rows.data() + b * w, w);
    progress.SetProgress(static_cast<float>(int64_t{model.lines} + y) / (2.0f * model.lines));
  }
  progress.Close();
  return outputs.Finish(messenger);
}

bool RunShading(const DemRequest& request, const StepSource& source, const std::string& targetBase,
                Messenger& messenger, Progress& progress) {
  if (!GroundScaleUsable(source.settings.lengthPerPixel)) {
    messenger.ShowMessage(kMsgNoGroundScale);
    return false;
  }
  const bool grey = request.kind == kStateShadeMono;
  BandOutputs outputs;
  if (!PrepareTarget(source, targetBase, false, grey ? &kShadeMonoText : kShadeBandText,
                     grey ? 1 : 3, outputs, messenger))
    return false;
  ElevationModel model;
  if (!StartAndLoad(source, model, messenger, progress)) return false;
  if (!ReliefScaleUsable(model.metresPerCode, source.settings.lengthPerPixel, 1.0))
    return progress.Fail(messenger, kMsgNoGroundScale);
  CodesOutput codes;
  if (!codes.Start(source.basePath, targetBase, model))
    return progress.Fail(messenger, kMsgCopyFailed);
  const ShadingRequest shading{request.kind, source.settings.lengthPerPixel, request.lightAzimuth,
                               request.lightElevation};
  // Each block of rows goes out as soon as it is shaded, so that writing it
  // and the disk overlap the rest of the work.
  const size_t w = size_t(model.pixels);
  const RowsDone write = [&](int32_t from, int32_t to, const std::array<const uint8_t*, 3>& rows) {
    for (int b = 0; b < (grey ? 1 : 3); ++b)
      outputs.WriteAt(b, rows[b], (to - from) * w, int64_t(from * w));
    codes.Write(from, to);
  };
  if (!ShadeElevationRows(model, shading, write, messenger, progress)) return false;
  progress.Close();
  return outputs.Finish(messenger) && codes.Finish(messenger);
}

// The legend file that travels with a draped image of a file state.
const char* LegendExtension(int fileState) {
  switch (fileState) {
    case kStateVegetation: return ".ndv";
    case kStateClassified: return ".mlk";
    case kStateElevationAbsolute:
    case kStateElevationRelative:
    case kStateShadeAbsolute:
    case kStateShadeRelative: return ".lev";
    default: return nullptr;
  }
}

bool RunBirdsEye(const DemRequest& request, const StepSource& source, const std::string& targetBase,
                 bool grey, Messenger& messenger, Progress& progress) {
  if (!GroundScaleUsable(source.settings.lengthPerPixel)) {
    messenger.ShowMessage(kMsgNoGroundScale);
    return false;
  }
  const DrapeComposition& drape = request.drape;
  const int bands = grey ? 1 : 3;
  if (!DeleteFiles(fs::path(targetBase + ".*"))) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  if (!WriteDescriptions(targetBase, grey ? &kBirdsEyeMonoText : kBirdsEyeBandText, bands,
                         messenger))
    return false;
  const int32_t shown[3] = {drape.blueBand, drape.greenBand, drape.redBand};
  FilePtr inputs[3];
  for (int b = 0; b < bands; ++b) {
    if (shown[b] < 0 || shown[b] >= 255) {
      messenger.ShowMessage(kMsgOpenFailed);
      return false;
    }
    inputs[b] = OpenBand(source.basePath, kSample8, shown[b] + 1, source.settings.pixels,
                         source.settings.lines, messenger);
    if (!inputs[b]) return false;
  }
  BandOutputs outputs;
  if (!outputs.Create(targetBase, bands, messenger)) return false;
  if (!WriteDisplayStateFile(targetBase + ".brd", drape.fileState, drape.dispMax, drape.dispMin,
                             messenger))
    return false;
  if (const char* ext = LegendExtension(drape.fileState)) {
    std::error_code ec;
    if (!fs::exists(ResolveNoCase(source.basePath + ext), ec)) {
      messenger.ShowMessage(kMsgOpenFailed);
      return false;
    }
    if (!CopyCompanion(source.basePath, ext, targetBase)) {
      messenger.ShowMessage(kMsgCopyFailed);
      return false;
    }
  }
  ElevationModel model;
  if (!StartAndLoad(source, model, messenger, progress)) return false;
  if (!ReliefScaleUsable(model.metresPerCode, source.settings.lengthPerPixel, request.exaggeration))
    return progress.Fail(messenger, kMsgNoGroundScale);
  // Rows come in order, so each band is read straight through; what a read
  // error leaves out shows black.
  const size_t w = size_t(model.pixels);
  const DrapeRowReader reader = [&](int band, int32_t, uint8_t* dst) {
    const size_t got = std::fread(dst, 1, w, inputs[band].get());
    if (got < w) std::memset(dst + got, 0, w - got);
  };
  ColourPlanes planes;
  const BirdsEyeRequest view{source.settings.lengthPerPixel, request.viewAzimuth,
                             request.viewElevation, request.exaggeration, bands};
  if (!RenderBirdsEye(model, view, reader, planes, messenger, progress)) return false;
  for (int b = 0; b < planes.count; ++b)
    outputs.Write(b, planes.plane[b].data(), planes.plane[b].size());
  progress.Close();
  return outputs.Finish(messenger);
}

}  // namespace

DrapeComposition DrapeFromState(const DisplayState& state, int32_t bandCount) {
  DrapeComposition d;
  d.blueBand = state.m_nBlueBand;
  d.greenBand = state.m_nGreenBand;
  d.redBand = state.m_nRedBand;
  d.singleBand = state.m_bSingleBand;
  d.rainbow = state.m_bRainbow;
  d.bandCount = bandCount;
  d.fileState = state.m_nFileState;
  d.dispMin = state.m_fDispMin;
  d.dispMax = state.m_fDispMax;
  return d;
}

bool DemRequestValid(const DemRequest& r) {
  auto within = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
  return r.kind >= kStateElevationAbsolute && r.kind <= kStateShadeRelative &&
         within(r.lightAzimuth, 0, 360) && within(r.lightElevation, 0, 90) &&
         within(r.viewAzimuth, 0, 360) && within(r.viewElevation, 0, 90) &&
         within(r.exaggeration, 1, 5);
}

bool RunDemProcessing(const DemRequest& request, const StepSource& source,
                      const std::string& targetBase, StepResult& result, Messenger& messenger,
                      Progress& progress) {
  if (!DemRequestValid(request)) {
    messenger.ShowMessage(kMsgError);
    return false;
  }
  bool ok = false;
  StepResult r;
  r.lines = source.settings.lines;
  r.pixels = source.settings.pixels;
  r.fileState = request.kind;
  switch (request.kind) {
    case kStateElevationAbsolute:
    case kStateElevationRelative:
      ok = RunColouring(request, source, targetBase, messenger, progress);
      break;
    case kStateShadeMono: r.singleBand = 1; [[fallthrough]];
    case kStateShadeAbsolute:
    case kStateShadeRelative:
      ok = RunShading(request, source, targetBase, messenger, progress);
      break;
    case kStateBirdsEye: {
      // One or two listed bands, or one shown band, drape in grey; the
      // result is then one band and must be shown as one.
      const bool grey = request.drape.bandCount <= 2 || request.drape.singleBand;
      r.lines = r.pixels = kBirdsEyeSize;
      r.rainbow = request.drape.rainbow ? 1 : 0;
      r.singleBand = grey ? 1 : 0;
      ok = RunBirdsEye(request, source, targetBase, grey, messenger, progress);
      break;
    }
  }
  progress.Close();
  if (ok) result = r;
  return ok;
}

StepBody MakeDemStep(DemRequest request) {
  return [request](const StepSource& source, const std::string& targetBase, StepResult& result,
                   Messenger& messenger, Progress& progress) {
    return RunDemProcessing(request, source, targetBase, result, messenger, progress);
  };
}

void AdjustStateForDem(int kind, DisplayState& state) {
  switch (kind) {
    case kStateElevationAbsolute:
    case kStateElevationRelative:
    case kStateShadeAbsolute:
    case kStateShadeRelative:
      state.m_bSingleBand = false;
      state.m_bRainbow = false;
      break;
    case kStateShadeMono:
      state.m_bSingleBand = true;
      state.m_bRainbow = false;
      break;
    case kStateBirdsEye:
      state.m_nImagePixels = state.m_nImageLines = kBirdsEyeSize;
      state.m_nStep = 1;
      state.m_nDibWidth = state.m_nDibHeight = kBirdsEyeSize;
      break;
    default: break;
  }
  state.m_nBlueBand = 0;
  state.m_nGreenBand = state.m_bSingleBand ? 0 : 1;
  state.m_nRedBand = state.m_bSingleBand ? 0 : 2;
  state.m_nBlueType = state.m_nGreenType = state.m_nRedType = kSample8;
}

std::array<Bgr, 256> CodeColours(const ElevationModel& model, DisplayRange range) {
  const ElevationColourTable table = BuildElevationColours();
  const CodeIndexTable index = BuildCodeIndexTable(model, range);
  std::array<Bgr, 256> colours;
  for (int c = 0; c < 256; ++c) colours[c] = table[index[c]];
  return colours;
}

void ColourCodes(const uint8_t* codes, size_t count, const std::array<Bgr, 256>& colours,
                 uint8_t* blue, uint8_t* green, uint8_t* red) {
  for (size_t i = 0; i < count; ++i) {
    const Bgr& c = colours[codes[i]];
    blue[i] = c[0];
    green[i] = c[1];
    red[i] = c[2];
  }
}

}  // namespace lumora
