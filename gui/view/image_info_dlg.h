// Image information (32777): sensor, size, ground length of a pixel, the
// geographic top-left corner and the inclination of the shown image.
#pragma once

#include <QDialog>
#include <QLabel>

#include "core/view/image_info.h"

namespace lumora::gui {

class CKiriApp;
class CKiriView;

inline constexpr int kIdInfoSensor = 376;
inline constexpr int kIdInfoSize = 377;
inline constexpr int kIdInfoPosition = 378;
inline constexpr int kIdInfoPixelLength = 379;
inline constexpr int kIdInfoInclination = 381;

// A static text whose tabs line up at one column in every such text.
class TabbedLabel : public QLabel {
  Q_OBJECT
 public:
  TabbedLabel(const QString& text, int id, QWidget* parent);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  qreal TabStop() const;
};

class CImageInfoDlg : public QDialog {
  Q_OBJECT
 public:
  CImageInfoDlg(const ImageInfoTexts& texts, QWidget* parent);
};

// Shows the window modally in the analysis-window slot; nothing happens
// while another window holds the slot.
void ShowImageInfo(CKiriApp& app, CKiriView& view);

}  // namespace lumora::gui
