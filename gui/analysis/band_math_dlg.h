// The band-maths dialog and command: a preset index of the sensor or the
// pupil's own formula of bands, checked as it is typed and shown on a small
// preview; the result is a new working image with its colour-ramp legend.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "core/analysis/band_math.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace lumora::gui {

class CKiriApp;
class CKiriView;

enum BandMathControl : int {
  kMathTemplate = 400,
  kMathFormulaEdit = 401,
  kMathErrorLabel = 402,
  kMathPreview = 403,
  kMathRangeLabel = 404,
  kMathColours = 405,
};
inline constexpr int kMathPresetFirst = 410;  // + MathPreset
inline constexpr int kMathBandFirst = 420;    // + band number

class CBandMathDlg : public QDialog {
  Q_OBJECT
 public:
  CBandMathDlg(const std::string& settingsPath, const ImageSettings& settings,
               QWidget* parent = nullptr);
  const MathParams& Params() const { return m_params; }
  // The preview's values as last drawn.
  const MathPreview& Preview() const { return m_preview; }

 public slots:
  // OK with a formula that cannot be read keeps the dialog open.
  void accept() override;

 private:
  void Update();

  std::string m_base;
  ImageSettings m_settings;
  QLineEdit* m_formula;
  QLabel* m_error;
  QLabel* m_picture;
  QLabel* m_range;
  QComboBox* m_colours;
  MathPreview m_preview;
  bool m_ok = false;
  MathParams m_params;
};

void RunBandMathCommand(CKiriApp& app, CKiriView& view);

}  // namespace lumora::gui
