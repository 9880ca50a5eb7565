// What changed between two dates: the pupil picks the later picture of the
// place (another open window, or a file), what to compare and how much
// change counts as none; the result is a new working image drawn red where
// it fell, white where it stayed, green where it rose, with its legend.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/analysis/change_map.h"
#include "core/imagefile/settings_file.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace lumora::gui {

class CKiriApp;
class CKiriView;
class UiSeam;

enum ChangeControl : int {
  kChangeTemplate = 440,
  kChangeLater = 441,
  kChangeChooseFile = 442,
  kChangeIndex = 443,
  kChangeBand = 444,
  kChangeThreshold = 445,
  kChangeWhy = 446,
  kChangeEarlierLabel = 447,
};

class CChangeDlg : public QDialog {
  Q_OBJECT
 public:
  // later: the settings files of the other open pictures, offered first.
  CChangeDlg(const std::string& earlierPath, const ImageSettings& earlier,
             const std::vector<std::string>& later, UiSeam& ui, QWidget* parent = nullptr);
  const ChangeParams& Params() const { return m_params; }

 public slots:
  // OK with pictures that cannot be compared keeps the dialog open.
  void accept() override;

 private:
  void AddLater(const std::string& path);
  void Update();

  ImageSettings m_earlier;
  QComboBox* m_later;
  QComboBox* m_index;
  QSpinBox* m_band;
  QDoubleSpinBox* m_threshold;
  QLabel* m_why;
  ChangeParams m_params;
  bool m_ok = false;
};

void RunChangeCommand(CKiriApp& app, CKiriView& view);

}  // namespace lumora::gui
