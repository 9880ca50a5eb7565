// The per-image session: open, display changes, undo and processing steps.
#include "core/view/image_session.h"

#include <algorithm>
#include <utility>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/staged_file_set.h"
#include "core/support/file_set.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/view/rainbow.h"
#include "core/view/zoom.h"

namespace lumora {
namespace {

AreaRect WholeImage(const DisplayState& s) { return {0, s.m_nImageLines, 0, s.m_nImagePixels}; }

// The legend of a restored state: a bird's-eye result takes the state named
// in its .brd file; the display range stays as restored.
LegendKind RestoredLegend(const DisplayState& s) {
  if (s.m_nFileState != kStateBirdsEye) return LegendForState(s.m_nFileState, s.m_bRainbow);
  DisplayStateFile brd;
  const std::string path = ResolveNoCase(StripExtension(s.m_strSettingsPath) + ".brd").string();
  if (!ReadDisplayStateFile(path, brd)) return LegendKind::kNone;
  return LegendForState(brd.state, s.m_bRainbow);
}

}  // namespace

OpenRequest ComposeOnOpen(const std::string& settingsPath, const ImageSettings& settings) {
  OpenRequest r;
  r.settingsPath = settingsPath;
  r.settings = settings;
  r.fileState = settings.fileState;
  if (settings.fileState != kStateUnprocessed) {
    r.composition = CompositionForProcessed(settings);
    return r;
  }
  const auto types = ScanBandTypes(StripExtension(settingsPath));
  const int count = static_cast<int>(
      std::count_if(types.begin() + 1, types.end(), [](uint8_t t) { return t != 0; }));
  if (count >= 3) {
    r.composition = ComposeBands(types, 3, 2, 1, false);
  } else {
    // The first band there is, shown in grey.
    int first = 1;
    while (count > 0 && types[first] == 0) ++first;
    r.composition = ComposeBands(types, first, first, first, true);
  }
  r.composition.bandCount = count;
  return r;
}

void ShowComposition(DisplayState& s, const Composition& c) {
  s.m_nBlueBand = c.blue - 1;
  s.m_nGreenBand = c.green - 1;
  s.m_nRedBand = c.red - 1;
  s.m_nBlueType = c.blueType;
  s.m_nGreenType = c.greenType;
  s.m_nRedType = c.redType;
  s.m_bRainbow = c.rainbow;
  s.m_bSingleBand = c.singleBand;
}

Composition CompositionShown(const DisplayState& s, int bandCount) {
  Composition c;
  c.blue = s.m_nBlueBand + 1;
  c.green = s.m_nGreenBand + 1;
  c.red = s.m_nRedBand + 1;
  c.blueType = s.m_nBlueType;
  c.greenType = s.m_nGreenType;
  c.redType = s.m_nRedType;
  c.rainbow = s.m_bRainbow;
  c.singleBand = s.m_bSingleBand;
  c.bandCount = bandCount;
  return c;
}

bool ImageSession::LoadWhole(DisplayState& state, AreaRect& area, bool resetRange, Dib& dib,
                             Messenger& messenger, Progress& progress) const {
  if (resetRange) {
    state.m_fDispMin = 255.0f;
    state.m_fDispMax = 0.0f;
  }
  if (!AllocateDisplayImage(state, area, dib, messenger)) return false;
  return ReadDisplayChannels(state, area, resetRange, dib, messenger, progress);
}

bool ImageSession::Open(const OpenRequest& r, const WorkingFiles& files, Messenger& messenger,
                        Progress& progress) {
  if (!CheckImageSize(r.settings, messenger)) return false;
  m_files = files;
  m_files.slot = -1;
  m_files.openedSettingsPath = m_files.currentSettingsPath = r.settingsPath;
  m_undoFiles = m_files;
  m_settings = r.settings;
  DisplayState s;
  s.m_strSettingsPath = r.settingsPath;
  s.m_nImagePixels = r.settings.pixels;
  s.m_nImageLines = r.settings.lines;
  ShowComposition(s, r.composition);
  s.m_nFileState = r.fileState;
  s.m_bRainbowReversed = r.rainbowReversed;
  s.m_nStep = r.step;
  AreaRect area = r.area.value_or(WholeImage(s));
  // An area that leaves the image is cut to it.
  area.m_nAreaLeft = std::clamp(area.m_nAreaLeft, 0, s.m_nImagePixels - 1);
  area.m_nAreaTop = std::clamp(area.m_nAreaTop, 0, s.m_nImageLines - 1);
  area.m_nAreaPixels = std::clamp(area.m_nAreaPixels, 1, s.m_nImagePixels - area.m_nAreaLeft);
  area.m_nAreaLines = std::clamp(area.m_nAreaLines, 1, s.m_nImageLines - area.m_nAreaTop);
  m_nDisplayKind = r.composition.bandCount;
  m_nZoomLevel = 1;
  m_fZoom = 1.0f;
  m_annotationsShown = false;
  m_pending.reset();
  m_hDibOrg = Dib{};
  m_prevDetail = DetailRules{};
  ResetTables();
  m_stretchStart = m_stretchApplied = StretchSet{};
  m_rcArea = area;
  m_state = s;
  m_prevState = s;
  Dib dib;
  const bool ok = LoadWhole(m_state, m_rcArea, true, dib, messenger, progress);
  m_hDib = std::move(dib);
  if (!ok) return false;
  // A bird's-eye result takes its display range from its .brd file before
  // the rainbow is painted with it.
  m_legend = DecideOpenLegend(m_state);
  PaintShownColours(m_state, m_hDib);
  m_detail = LoadedRules(m_state, m_rcArea);
  return true;
}

ViewGeometry ImageSession::Geometry(int32_t scrollX, int32_t scrollY, int32_t drawOffsetX,
                                    int32_t drawOffsetY) const {
  ViewGeometry g;
  g.zoom = m_fZoom;
  g.step = m_state.m_nStep;
  g.scrollX = scrollX;
  g.scrollY = scrollY;
  g.drawOffsetX = drawOffsetX;
  g.drawOffsetY = drawOffsetY;
  g.dibWidth = m_state.m_nDibWidth;
  g.dibHeight = m_state.m_nDibHeight;
  g.imagePixels = m_state.m_nImagePixels;
  g.imageLines = m_state.m_nImageLines;
  g.areaLeft = m_rcArea.m_nAreaLeft;
  g.areaTop = m_rcArea.m_nAreaTop;
  return g;
}

bool ImageSession::DnHidden() const {
  return !DnShownForState(m_state.m_nFileState) || m_annotationsShown || m_printPreview;
}

void ImageSession::SetZoomLevel(int32_t level) {
  m_nZoomLevel = std::clamp(level, kMinZoomLevel, kMaxZoomLevel);
  m_fZoom = ZoomFactor(m_nZoomLevel);
}

bool ImageSession::Enlarge() {
  if (!CanEnlarge(m_nZoomLevel, m_state.m_nDibWidth, m_state.m_nDibHeight)) return false;
  SetZoomLevel(m_nZoomLevel + 1);
  return true;
}

bool ImageSession::Reduce() {
  if (!CanReduce(m_nZoomLevel)) return false;
  SetZoomLevel(m_nZoomLevel - 1);
  return true;
}

void ImageSession::ResetTables() {
  for (auto& lut : m_lut)
    for (int i = 0; i < 256; ++i) lut[i] = static_cast<uint8_t>(i);
}

void ImageSession::ApplyDisplayChange(Dib&& next, const DetailRules::Change* change) {
  m_hDibOrg = std::move(m_hDib);
  m_hDib = std::move(next);
  m_prevDetail = m_detail;
  if (change)
    m_detail.changes.push_back(*change);
  else
    m_detail.exact = false;
  m_prevState = m_state;
  m_state.m_bProcessed = false;
}

bool ImageSession::ReverseRainbow(Messenger& messenger, Progress* progress) {
  Dib reversed;
  if (!ReverseRainbowColours(m_hDib, reversed, progress)) {
    messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  DetailRules::Change change;
  change.reverseRainbow = true;
  ApplyDisplayChange(std::move(reversed), &change);
  m_state.m_bRainbowReversed = !m_state.m_bRainbowReversed;
  return true;
}

void ImageSession::CommitPending() {
  if (m_hDibOrg.Empty()) return;
  m_rcArea = WholeImage(m_state);
  const int32_t step = std::max(1, m_state.m_nStep);
  m_state.m_nDibWidth = DibExtent(m_rcArea.m_nAreaPixels, step);
  m_state.m_nDibHeight = DibExtent(m_rcArea.m_nAreaLines, step);
  ResetTables();
  m_stretchStart = m_stretchApplied;
  m_hDib = std::move(m_hDibOrg);
  m_hDibOrg = Dib{};
  m_detail = std::move(m_prevDetail);
  m_prevDetail = DetailRules{};
}

bool ImageSession::Undo(Messenger& messenger) {
  if (m_pending) return false;
  if (m_annotationsShown) {
    m_annotationsShown = false;
    m_hDibOrg = Dib{};
    m_prevDetail = DetailRules{};
    return true;
  }
  if (m_hDibOrg.Empty()) return false;
  bool ok = true;
  if (m_state.m_bProcessed) {
    // Files first: the step's working set goes and the set before it is
    // current again. When a file refuses to go the slot stays where it is
    // (what is left of the step's set waits there for the next step to
    // clear it) and only the set shown goes back.
    if (m_files.slot >= 0 && !DeleteFiles(m_files.SlotBase(m_files.slot) + ".*")) {
      messenger.ShowMessage(kMsgDeleteFailed);
      ok = false;
      m_files.currentSettingsPath = m_undoFiles.currentSettingsPath;
    } else {
      m_files = m_undoFiles;
    }
    m_state = m_prevState;
    m_state.m_strSettingsPath = m_files.currentSettingsPath;
    m_legend = RestoredLegend(m_state);
  } else {
    m_state = m_prevState;
  }
  CommitPending();
  return ok;
}

void ImageSession::RollBack(Pending& p, const std::string& targetBase) {
  DeleteFiles(targetBase + ".*");
  m_files = p.files;
}

bool ImageSession::BeginStep(const StepBody& body, Messenger& messenger, Progress& progress,
                             const StateAdjust& adjust) {
  if (m_pending || m_hDib.Empty()) return false;
  Pending p{m_state, m_rcArea, m_files, Dib{}, DetailRules{}};
  std::string targetBase = m_files.BeginStep();
  // After an undo that could not clear its slot, the flipped slot may hold
  // the set shown now: the step writes into the other one.
  if (SameFileSet(targetBase, StripExtension(p.files.currentSettingsPath)))
    targetBase = m_files.BeginStep();
  // The slot may still hold the set of two steps ago; none of it may mix
  // with the new result.
  if (!DeleteFiles(targetBase + ".*")) {
    messenger.ShowMessage(kMsgDeleteFailed);
    m_files = p.files;
    return false;
  }
  StepSource source;
  source.settingsPath = p.files.currentSettingsPath;
  source.basePath = StripExtension(source.settingsPath);
  source.settings = m_settings;
  source.settings.lines = m_state.m_nImageLines;
  source.settings.pixels = m_state.m_nImagePixels;
  StepResult result;
  result.lines = m_state.m_nImageLines;
  result.pixels = m_state.m_nImagePixels;
  result.fileState = m_state.m_nFileState;
  result.rainbow = m_state.m_bRainbow;
  result.singleBand = m_state.m_bSingleBand;
  const std::string targetSettings = targetBase + ".inf";
  if (!RunStepBody(body, source, targetBase, m_files.openedSettingsPath, result, messenger,
                   progress)) {
    RollBack(p, targetBase);
    return false;
  }
  DisplayState next = m_state;
  next.m_strSettingsPath = targetSettings;
  next.m_nImageLines = result.lines;
  next.m_nImagePixels = result.pixels;
  next.m_nFileState = result.fileState;
  next.m_bRainbow = result.rainbow != 0;
  next.m_bSingleBand = result.singleBand != 0;
  if (adjust) adjust(next);
  AreaRect area = WholeImage(next);
  Dib dib;
  if (!LoadWhole(next, area, true, dib, messenger, progress)) {
    RollBack(p, targetBase);
    return false;
  }
  PaintShownColours(next, dib);
  m_files.currentSettingsPath = targetSettings;
  p.olderPrevious = std::move(m_hDibOrg);
  m_hDibOrg = std::move(m_hDib);
  m_hDib = std::move(dib);
  p.olderPreviousDetail = std::move(m_prevDetail);
  m_prevDetail = std::move(m_detail);
  m_detail = LoadedRules(next, area);
  m_state = next;
  m_rcArea = area;
  m_pending = std::move(p);
  return true;
}

void ImageSession::Keep() {
  if (!m_pending) return;
  m_prevState = m_pending->kept;
  m_undoFiles = m_pending->files;
  m_state.m_bProcessed = true;
  m_legend = RestoredLegend(m_state);
  m_pending.reset();
}

bool ImageSession::Revert(Messenger& messenger) {
  if (!m_pending) return false;
  Pending p = std::move(*m_pending);
  m_pending.reset();
  const std::string stepBase = m_files.SlotBase(m_files.slot);
  bool ok = true;
  if (!DeleteFiles(stepBase + ".*")) {
    messenger.ShowMessage(kMsgDeleteFailed);
    ok = false;
  }
  m_files = p.files;
  m_state = p.kept;
  m_rcArea = p.keptArea;
  m_hDib = std::move(m_hDibOrg);
  // The image before the step may still be undone.
  m_hDibOrg = std::move(p.olderPrevious);
  m_detail = std::move(m_prevDetail);
  m_prevDetail = std::move(p.olderPreviousDetail);
  ResetTables();
  m_stretchStart = m_stretchApplied;
  return ok;
}

ImageSession::StepOutcome ImageSession::RunStep(const StepBody& body, Messenger& messenger,
                                                Progress& progress, const StepHooks& hooks) {
  if (!BeginStep(body, messenger, progress, hooks.adjust)) return StepOutcome::kFailed;
  if (hooks.displayChanged) hooks.displayChanged();
  if (messenger.AskYesNo(kConfirmTitle, MessageText(kMsgConfirmResult))) {
    Keep();
    return StepOutcome::kKept;
  }
  Revert(messenger);
  if (hooks.displayChanged) hooks.displayChanged();
  return StepOutcome::kReverted;
}

ImageSession::StepOutcome ImageSession::RunStepDialog(const StepChooser& choose,
                                                      Messenger& messenger, Progress& progress,
                                                      const std::function<void()>& displayChanged) {
  for (;;) {
    std::optional<StepChoice> choice = choose();
    if (!choice) return StepOutcome::kCancelled;
    const StepOutcome outcome =
        RunStep(choice->body, messenger, progress, {choice->adjust, displayChanged});
    if (outcome != StepOutcome::kReverted) return outcome;
  }
}

}  // namespace lumora
