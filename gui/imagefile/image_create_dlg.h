// The composition dialog of the open command: three bands as red, green and
// blue (with presets per sensor), or one band in grey or rainbow colours.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/shell/open_rules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

namespace lumora::gui {

class CMyBitmapButton;

class CImageCreateDlg : public QDialog {
  Q_OBJECT
 public:
  CImageCreateDlg(Messenger& messenger, const std::string& settingsPath,
                  const ImageSettings& settings, QWidget* parent = nullptr);

  // The confirmed composition (valid after OK).
  const Composition& Result() const { return m_result; }
  bool SingleBand() const { return m_single; }

  // Selects 1-based band numbers; a number the image lacks shows "UNKOWN BAND".
  void SelectBands(int red, int green, int blue);
  void SetSingleBand(bool single);

 public slots:
  void accept() override;

 private:
  void OnPreset(int controlId);
  QComboBox* MakeBandCombo(int id);
  static void SelectBand(QComboBox* combo, int band);
  int BandOf(const QComboBox* combo) const;

  Messenger& m_messenger;
  std::string m_settingsPath;
  ImageSettings m_settings;
  std::vector<BandItem> m_bands;
  Composition m_result;
  bool m_single = false;
  QComboBox* m_blue;
  QComboBox* m_green;
  QComboBox* m_red;
  QLabel* m_heading;
  QLabel* m_blueLabel;
  QLabel* m_greenLabel;
  QLabel* m_redLabel;
  QLabel* m_swatch[3];
  QRadioButton* m_multi;
  QRadioButton* m_singleRadio;
  QCheckBox* m_rainbow;
  std::vector<CMyBitmapButton*> m_presets;
};

}  // namespace lumora::gui
