// The vegetation-index dialog and command: choose bands X and Y (or take a
// sensor's preset), compute (X - Y) / (X + Y) into a new working image, show
// it with its colour-ramp legend, keep it or go back and choose again.
#pragma once

#include <QDialog>
#include <vector>

#include "core/analysis/vegetation_index.h"
#include "core/imagefile/band_catalogue.h"
#include "core/support/messenger.h"
#include "core/view/display_state.h"

class QCheckBox;
class QComboBox;

namespace lumora::gui {

class CKiriApp;
class CKiriView;

enum NdviControl : int {
  kNdviTemplate = 267,
  kNdviRainbowBox = 320,
  kNdviMssButton = 333,
  kNdviTmButton = 334,
  kNdviAsterButton = 335,
  kNdviXCombo = 337,
  kNdviYCombo = 338,
};

class CNdviDlg : public QDialog {
  Q_OBJECT
 public:
  // settingsPath: the image's current settings file; sensor: its SENSOR.
  CNdviDlg(const std::string& settingsPath, int sensor, Messenger& messenger,
           QWidget* parent = nullptr);
  // After OK: the bands and their sample types, the rainbow choice.
  const NdviParams& Params() const { return m_params; }

 public slots:
  // OK with a band not chosen is a cancel.
  void accept() override;

 private:
  void SelectPreset(int sensor);

  std::vector<BandItem> m_bands;
  QComboBox* m_x;
  QComboBox* m_y;
  QCheckBox* m_rainbow;
  NdviParams m_params;
};

void RunVegetationIndexCommand(CKiriApp& app, CKiriView& view);

// An index result (the band maths' too) is one 8-bit band, shown in grey or
// in rainbow colours.
void ShowIndexBand(DisplayState& next);

}  // namespace lumora::gui
