// Brightness adjustment of the display image through three look-up tables
// (blue, green, red): the histogram, the automatic stretch rule, the linear
// stretch table, histogram equalisation, applying the tables with the old
// image kept for undo, the two stretch setting sets and the state of the
// brightness dialog.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/view/dib.h"
#include "core/view/image_session.h"

namespace lumora {

using LookupTable = DisplayLut;
// Index 0 blue, 1 green, 2 red: the byte order of a display pixel.
using LookupTables = std::array<LookupTable, 3>;
LookupTables IdentityTables();

// Channel 3 stands for all three bytes of every pixel together.
inline constexpr int kAllChannels = 3;

struct Histogram {
  std::array<uint32_t, 256> counts{};
  int64_t total = 0;  // samples counted: width x height, three times that for all channels
  uint32_t peak = 0;  // largest count over 1..255 when black is excluded, else over 0..255
};

// Counts byte `channel` (0..2) of every pixel, or all three bytes for
// kAllChannels; padding bytes at row ends are not samples.
Histogram ComputeHistogram(const Dib& dib, int channel, bool excludeBlack);
// The histograms of channels 0, 1 and 2 from one pass over the image.
std::array<Histogram, 3> ChannelHistograms(const Dib& dib, bool excludeBlack);

// The four values of a channel's stretch (StretchValues) are input high,
// input low, output high, output low, the dialog's order; the full range
// 255, 0, 255, 0 changes nothing.
inline constexpr StretchSet kIdentityStretch{};

// The automatic rule: mean +/- 3 standard deviations of the counted levels
// (level 0 left out when black is excluded), limited to 0..255; output
// 0..255. With nothing counted (an all-black image with black excluded) the
// mean is undefined and the full range 0..255 is taken, leaving the channel
// as it is.
StretchValues AutoStretch(const Histogram& histogram, bool excludeBlack);

// The linear stretch table. Equal input values are first pulled one apart
// (255 lowers the low one, anything else raises the high one) and stored
// back into v. Entries are clamped to [output low, output high]; every entry
// is output low when output low is not below output high; input low above
// input high inverts the channel. Values are 0..255 as the dialog checks.
void BuildStretchTable(StretchValues& v, LookupTable& table);

// Histogram equalisation for one channel: entry k (1..254) is the share of
// samples at or below k scaled to 255; entry 255 is 255; entry 0 is not
// touched, so it keeps what the table already maps 0 to.
void BuildEqualisationTable(const Histogram& histogram, LookupTable& table);

// One row of width pixels mapped through the tables (blue, green, red
// bytes); in and out may be rows of different images. The live preview of
// the brightness dialog maps the shown image row by row this way.
void MapRowThroughTables(const uint8_t* in, uint8_t* out, int32_t width,
                         const LookupTables& tables);

// The display image rewritten through the tables into result (zero-filled,
// same size and layout); 61233 when its memory cannot be had.
bool MapThroughTables(const Dib& shown, const LookupTables& tables, Dib& result,
                      Messenger& messenger, Progress& progress);

// The three commands on an image. Each rewrites the shown image through new
// tables; the old image is kept for undo and the display state becomes the
// snapshot with the processed-image flag cleared. When the new image cannot
// be had (61233) tables, settings and display stay as they were.
//
// After the dialog's OK: the tables the dialog built are applied, the dialog
// opens at the full range next time and its values are recorded as applied.
bool ApplyBrightnessDialog(ImageSession& session, const LookupTables& tables,
                           const StretchSet& values, Messenger& messenger, Progress& progress);
// Automatic brightness: black excluded, the automatic rule per channel, then
// as after OK.
bool AutomaticBrightness(ImageSession& session, Messenger& messenger, Progress& progress);
// Equalisation: an equalisation table per channel; stretch values unchanged.
bool EqualiseBrightness(ImageSession& session, Messenger& messenger, Progress& progress);

// Drawing geometry of the histogram panel (client rectangle, right and bottom
// exclusive as the window gives it). Per level drawn (from 1 when black is
// excluded): the bar's x, its top (bars grow up from bottom - 1, scaled to
// the peak) and the y of the cumulative curve (scaled to the total, so it
// stops short of the top when black is excluded). The scale is
// (right - left - 2) / 256 in double; products are 64-bit so that large
// counts cannot wrap.
struct PanelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
struct HistogramBar {
  int level = 0;
  int x = 0;
  int top = 0;
  int curveY = 0;
};
std::vector<HistogramBar> HistogramBars(const Histogram& histogram, bool excludeBlack,
                                        const PanelRect& panel);
// x of level i on the panel or colour bar: trunc(i * s + 0.5) + left + 1.
int LevelX(int level, const PanelRect& r);
// Pen width of the colour bar's lines: trunc(s + 1.5).
int ColourBarPenWidth(const PanelRect& bar);

// What the brightness dialog holds between the user's actions; the window
// only shows it and forwards clicks and edits.
class BrightnessDialogState {
 public:
  // Where the markers live, in one coordinate system: the colour bar's left
  // and right edge (they give the level scale) and the marker strip's
  // rectangle (right and bottom exclusive).
  struct MarkerGeometry {
    int barLeft = 0;
    int barRight = 0;
    int stripLeft = 0;
    int stripTop = 0;
    int stripRight = 0;
    int stripBottom = 0;
  };
  enum Drag : int { kNoDrag = 0, kInputLow = 1, kInputHigh = 2, kOutputLow = 3, kOutputHigh = 4 };
  // Level under x and x of a level on the colour bar (scale in double).
  static int LevelAt(int x, const MarkerGeometry& g);
  static int PositionOf(int level, const MarkerGeometry& g);

  // Opening: per-channel values from the view's starting set, channel blue
  // with its values in the edits, or channel 3 for a single band (the edits
  // keep blue's values); black excluded; histogram computed.
  BrightnessDialogState(const Dib& dib, bool singleBand, const StretchSet& starting);

  int Channel() const { return m_channel; }
  bool SingleBand() const { return m_singleBand; }
  bool ExcludeBlack() const { return m_excludeBlack; }
  const Histogram& CurrentHistogram() const { return m_histogram; }
  const StretchValues& Edits() const { return m_edits; }
  const StretchSet& Values() const { return m_values; }
  // The edits are disabled while all channels of a colour image are shown.
  bool EditsEnabled() const { return m_channel < kAllChannels || m_singleBand; }
  // Markers are drawn and can be dragged unless all colour channels are shown.
  bool MarkersShown() const { return EditsEnabled(); }

  // Each edit must be a whole number 0..255; false (edits unchanged) otherwise.
  static bool ValidEdit(int value) { return value >= 0 && value <= 255; }
  bool SetEdits(const StretchValues& edits);

  // Channel buttons: the edits go into the channel left (when it is one
  // colour), the new channel's values come into the edits.
  void SelectChannel(int channel);
  // "All three": edits show the full range and are never stored.
  void SelectAllChannels();
  void SetExcludeBlack(bool exclude);

  // OK: the edits are stored and a stretch table is built per channel (with
  // the equal-input correction stored back into the values).
  void Ok(LookupTables& tables);
  // Automatic button: the automatic rule for each channel, then OK.
  void Automatic(LookupTables& tables);

  // Mouse on the marker strip. A press in its lower half takes an output
  // marker, in its upper half an input marker: the low one left of it, the
  // high one right of it, between them the nearer (the high one on a tie),
  // and moves it to the level under x. False when nothing was taken.
  bool PressMarker(int x, int y, const MarkerGeometry& g);
  // Moves the taken marker, clamped to 0..255 and to its partner; false when
  // no marker is taken.
  bool MoveMarker(int x, const MarkerGeometry& g);
  void ReleaseMarker() { m_drag = kNoDrag; }
  Drag CurrentDrag() const { return m_drag; }

 private:
  void StoreEdits();
  void Recompute();

  const Dib& m_dib;
  bool m_singleBand;
  bool m_excludeBlack = true;
  int m_channel = kAllChannels;
  StretchSet m_values;
  StretchValues m_edits;
  Histogram m_histogram;
  Drag m_drag = kNoDrag;
};

}  // namespace lumora
