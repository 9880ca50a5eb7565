// The elevation-model dialog and command: choose elevation colours
// (absolute or relative), shading (grey or over the colours) with its light
// direction, or the bird's-eye view with its view direction and height
// ratio; the result is written as a new working image, shown, and kept or
// taken back.
#pragma once

#include <QAbstractSpinBox>
#include <QDialog>
#include <map>

#include "core/analysis/dem_settings.h"
#include "core/support/messenger.h"

class QAbstractButton;

namespace lumora::gui {

class CKiriApp;
class CKiriView;

inline constexpr int kDemSettingTemplate = 387;

// An angle in degrees: typed freely (a value outside the range is refused
// when the dialog is confirmed), stepped by one degree with the arrow keys
// inside the range.
class CAngleEdit : public QAbstractSpinBox {
  Q_OBJECT
 public:
  CAngleEdit(int id, float value, float maximum, QWidget* parent);
  // NaN when the text is not a number.
  float Value() const;
  float Maximum() const { return m_maximum; }
  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;

 protected:
  StepEnabled stepEnabled() const override;

 private:
  float m_maximum;
};

class CDemSettingDlg : public QDialog {
  Q_OBJECT
 public:
  // fileState: the image's; a processed image may only be viewed from above.
  CDemSettingDlg(int fileState, Messenger& messenger, QWidget* parent = nullptr);
  // After OK: the kind, angles and height ratio chosen.
  const DemRequest& Request() const { return m_request; }

 public slots:
  // An angle outside its range is refused with a message; the dialog stays.
  void accept() override;

 private:
  QAbstractButton* Radio(int id, const QString& text);
  CAngleEdit* Angle(int id, float value, float maximum);
  void Follow();

  DemSettingsForm m_form;
  Messenger& m_messenger;
  std::map<int, QWidget*> m_controls;
  DemRequest m_request;
};

void RunDemCommand(CKiriApp& app, CKiriView& view);

}  // namespace lumora::gui
