// The brightness dialog: the histogram of the shown image, the colour bar,
// the input and output markers between them, the four values, the channel
// buttons and the automatic button. While it is open the image window shows
// the image through the values chosen so far.
#pragma once

#include <QColor>
#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "core/radiometry/brightness.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace lumora::gui {

// Control ids of the dialog (template 262).
enum BrightnessControl : int {
  kBrightnessTemplate = 262,
  kHistogramPanel = 107,
  kColourBar = 108,
  kRedButton = 110,
  kGreenButton = 111,
  kBlueButton = 112,
  kInputLowEdit = 113,
  kInputHighEdit = 114,
  kOutputLowEdit = 115,
  kOutputHighEdit = 116,
  kAllColoursButton = 117,
  kMarkerStrip = 118,
  kExcludeBlackBox = 208,
  kAutomaticButton = 213,
};

class CBrightnessDlg : public QDialog {
  Q_OBJECT
 public:
  using Preview = std::function<void(const LookupTables&)>;

  // shown: the image window's display image; starting: its starting values.
  // preview is called with the tables of the values chosen so far whenever
  // they change.
  CBrightnessDlg(const Dib& shown, bool singleBand, const StretchSet& starting,
                 Messenger& messenger, Preview preview, QWidget* parent = nullptr);
  // An edit that loses the focus while the dialog is destroyed must not
  // reach the dialog's members: its signals are cut first.
  ~CBrightnessDlg() override;

  const BrightnessDialogState& State() const { return m_state; }
  // Pixels pinned in the spectrum window: their display bytes (blue, green,
  // red) are marked in the histogram in the pin's colour.
  struct PixelMark {
    std::array<uint8_t, 3> bytes{};
    QColor colour;
  };
  void SetMarks(std::vector<PixelMark> marks) { m_marks = std::move(marks); }
  // After OK: the tables built and the per-channel values.
  const LookupTables& Tables() const { return m_tables; }
  const StretchSet& Values() const { return m_state.Values(); }

  // The marker strip's geometry, for the mouse: where a level's marker sits
  // in the strip's own coordinates, in its input (upper) or output (lower) half.
  QPoint StripPointOf(int level, bool output) const;

 public slots:
  void accept() override;

 private:
  friend class MarkerStrip;
  BrightnessDialogState::MarkerGeometry Geometry() const;
  // Reads the four edits into the state; a value that is not a whole
  // number 0..255 is reported, gets the focus, and false is returned.
  bool ReadEdits();
  void ShowEdits();
  void OnChannel(int channel);
  void OnExcludeBlack(bool on);
  void OnAutomatic();
  void ValuesChanged();
  void PaintHistogram(QPainter& p, const QRect& r) const;
  void PaintColourBar(QPainter& p, const QRect& r) const;
  void PaintMarkers(QPainter& p) const;
  void MarkerPressed(QPoint stripPoint);
  void MarkerMoved(QPoint stripPoint);
  void MarkerReleased();

  Messenger& m_messenger;
  Preview m_preview;
  BrightnessDialogState m_state;
  std::vector<PixelMark> m_marks;
  LookupTables m_tables = IdentityTables();
  QWidget* m_graph;
  QWidget* m_panel;
  QWidget* m_strip;
  QWidget* m_bar;
  QLineEdit* m_edits[4];  // input low, input high, output low, output high
  QCheckBox* m_excludeBlack;
  bool m_reading = false;
};

}  // namespace lumora::gui
