// Everything one opened image owns apart from drawing: its settings, the
// display state and its snapshot, the display image and the previous one,
// the look-up tables, the working files, zoom, undo and the protocol every
// processing step follows (keep the state, write a new working set, rewrite
// the settings file, reload, then keep or revert).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/imagefile/composition.h"
#include "core/imagefile/settings_file.h"
#include "core/imagefile/working_files.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/view/detail_view.h"
#include "core/view/dib.h"
#include "core/view/display_loader.h"
#include "core/view/display_state.h"
#include "core/view/processing_step.h"
#include "core/view/tool_geometry.h"

namespace lumora {

// What the open command hands to a new image: the path, the settings read
// from it and the composition decided for it.
struct OpenRequest {
  std::string settingsPath;
  ImageSettings settings;
  Composition composition;
  int32_t fileState = 0;
  bool rainbowReversed = false;
  std::optional<AreaRect> area;  // the whole image when not given
  int32_t step = -1;             // below 1: chosen by the loader
};

// The composition an image gets when no composition dialog is shown: a
// processed image is composed as the open command decides for it; an
// unprocessed one shows bands 3, 2, 1 when it has at least three bands,
// else its first band in grey, each with the sample type of its file.
OpenRequest ComposeOnOpen(const std::string& settingsPath, const ImageSettings& settings);

// The display state shows the composition's bands, types and flags, and
// back: the composition a state shows (bandCount: the session's DisplayKind).
void ShowComposition(DisplayState& state, const Composition& composition);
Composition CompositionShown(const DisplayState& state, int bandCount);

// The brightness stretch values of one channel.
struct StretchValues {
  int32_t inHigh = 255;
  int32_t inLow = 0;
  int32_t outHigh = 255;
  int32_t outLow = 0;
  bool operator==(const StretchValues&) const = default;
};
using StretchSet = std::array<StretchValues, 3>;
using DisplayLut = std::array<uint8_t, 256>;

class ImageSession {
 public:
  // Loads the display of a freshly opened image. files: the working names
  // prepared by the open (slot -1). A band file that cannot be opened fails
  // with 61234 and leaves what was read in the display image.
  bool Open(const OpenRequest& request, const WorkingFiles& files, Messenger& messenger,
            Progress& progress);

  // --- what the view draws and the tools read
  const DisplayState& State() const { return m_state; }
  const DisplayState& Snapshot() const { return m_prevState; }
  const AreaRect& Area() const { return m_rcArea; }
  const Dib& Display() const { return m_hDib; }
  const Dib* Previous() const { return m_hDibOrg.Empty() ? nullptr : &m_hDibOrg; }
  // How the display image's colours come from the current file set.
  const DetailRules& Detail() const { return m_detail; }
  // The header of the display image (its image size is Display().SizeBytes()).
  const ImageSettings& Settings() const { return m_settings; }
  double LengthPerPixel() const { return m_settings.lengthPerPixel; }
  int32_t DisplayKind() const { return m_nDisplayKind; }
  const WorkingFiles& Files() const { return m_files; }
  const std::string& OpenedPath() const { return m_files.openedSettingsPath; }
  const std::string& CurrentPath() const { return m_state.m_strSettingsPath; }
  LegendKind Legend() const { return m_legend; }
  std::string Title() const { return DisplayTitle(OpenedPath(), m_state, m_rcArea); }
  // The size the child frame takes to show the display image.
  FrameSize FitSize(int32_t borderWidth, int32_t borderHeight, int32_t desktopWidth,
                    int32_t desktopHeight) const {
    return FitFrame(m_state.m_nDibWidth, m_state.m_nDibHeight, borderWidth, borderHeight,
                    desktopWidth, desktopHeight);
  }
  // What the mouse tools need, for the view's scroll position and the draw
  // offsets of its last paint.
  ViewGeometry Geometry(int32_t scrollX, int32_t scrollY, int32_t drawOffsetX,
                        int32_t drawOffsetY) const;
  // The readout may show values: not while elevation colours, the
  // annotation page or a print preview are shown.
  bool DnHidden() const;

  // --- zoom
  int32_t ZoomLevel() const { return m_nZoomLevel; }
  float Zoom() const { return m_fZoom; }
  // Level from the zoom box (clamped into the valid levels).
  void SetZoomLevel(int32_t level);
  bool Enlarge();  // false when the limits forbid it
  bool Reduce();

  // --- look-up tables and stretch values (blue, green, red)
  DisplayLut& Lut(int channel) { return m_lut[channel]; }
  const DisplayLut& Lut(int channel) const { return m_lut[channel]; }
  StretchSet& StretchStart() { return m_stretchStart; }
  StretchSet& StretchApplied() { return m_stretchApplied; }

  // --- display-only steps
  // The shown image becomes the previous one and next is shown; the state
  // is kept as the snapshot with the processed-image flag cleared. change:
  // how next came from the shown image, when it can be made again.
  void ApplyDisplayChange(Dib&& next, const DetailRules::Change* change = nullptr);
  // Rainbow colours in reverse order (61233 when the new image cannot be had).
  bool ReverseRainbow(Messenger& messenger, Progress* progress = nullptr);
  // The previous display image is shown again (whole image, identity tables).
  void CommitPending();

  // --- flags the view keeps
  bool AnnotationsShown() const { return m_annotationsShown; }
  void SetAnnotationsShown(bool on) { m_annotationsShown = on; }
  bool PrintPreview() const { return m_printPreview; }
  void SetPrintPreview(bool on) { m_printPreview = on; }

  // --- undo (one level)
  bool CanUndo() const { return !m_hDibOrg.Empty() || m_annotationsShown; }
  // Leaves the annotation page, or goes back one step (files too when the
  // step wrote them). 61290 when the step's files cannot be deleted; the
  // display and the current file set still go back.
  bool Undo(Messenger& messenger);

  // --- processing steps
  // Adjusts the display state for the result before it is loaded (bands
  // shown, step, ...); the file state, size, rainbow and single-band flags
  // come from the step's result.
  using StateAdjust = std::function<void(DisplayState&)>;
  // Keeps the state, writes a new working set with body, rewrites the
  // settings file and shows the result. Any failure leaves files and
  // display exactly as they were. Refused while a result awaits an answer.
  bool BeginStep(const StepBody& body, Messenger& messenger, Progress& progress,
                 const StateAdjust& adjust = {});
  bool StepPending() const { return m_pending.has_value(); }
  // The shown result stays: the kept state becomes the undo snapshot.
  void Keep();
  // Back to the state before the step; the new working set is deleted
  // (61290 when that fails; the display goes back all the same).
  bool Revert(Messenger& messenger);
  enum class StepOutcome { kFailed, kKept, kReverted, kCancelled };
  struct StepHooks {
    StateAdjust adjust;
    // Called when the result has been loaded (before the question) and when
    // it has been taken back: the window repaints.
    std::function<void()> displayChanged;
  };
  // A step the user judges: BeginStep, then the question "確認" / 61285
  // through the messenger; Yes keeps the result, No reverts it.
  StepOutcome RunStep(const StepBody& body, Messenger& messenger, Progress& progress,
                      const StepHooks& hooks = {});
  // The command of a step dialog: choose shows the dialog and returns the
  // step chosen, or nothing when the dialog is cancelled; the step runs as
  // RunStep does, and after a No the dialog is shown again. Every dialog
  // that runs a processing step uses this.
  struct StepChoice {
    StepBody body;
    StateAdjust adjust;
  };
  using StepChooser = std::function<std::optional<StepChoice>()>;
  StepOutcome RunStepDialog(const StepChooser& choose, Messenger& messenger, Progress& progress,
                            const std::function<void()>& displayChanged = {});

 private:
  struct Pending {
    DisplayState kept;
    AreaRect keptArea;
    WorkingFiles files;
    Dib olderPrevious;
    DetailRules olderPreviousDetail;
  };

  // Loads the whole current image into dib with the state's step.
  bool LoadWhole(DisplayState& state, AreaRect& area, bool resetRange, Dib& dib,
                 Messenger& messenger, Progress& progress) const;
  void ResetTables();
  void RollBack(Pending& p, const std::string& targetBase);

  ImageSettings m_settings;
  DisplayState m_state;
  DisplayState m_prevState;
  AreaRect m_rcArea;
  Dib m_hDib;
  Dib m_hDibOrg;
  // The rules of m_hDib and m_hDibOrg.
  DetailRules m_detail;
  DetailRules m_prevDetail;
  std::array<DisplayLut, 3> m_lut{};
  StretchSet m_stretchStart{};
  StretchSet m_stretchApplied{};
  WorkingFiles m_files;
  WorkingFiles m_undoFiles;  // the file set the undo snapshot shows
  LegendKind m_legend = LegendKind::kNone;
  int32_t m_nDisplayKind = 3;
  int32_t m_nZoomLevel = 1;
  float m_fZoom = 1.0f;
  bool m_annotationsShown = false;
  bool m_printPreview = false;
  std::optional<Pending> m_pending;
};

}  // namespace lumora
