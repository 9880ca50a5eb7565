// Export of what an image window shows as a JPEG or TIFF file, and the
// compression dialog asked for JPEG names.
#pragma once

#include <QDialog>

#include "core/support/messenger.h"
#include "core/view/dib.h"

class QLabel;
class QSlider;

namespace lumora::gui {

class UiSeam;

class CJpegQualityDlg : public QDialog {
  Q_OBJECT
 public:
  CJpegQualityDlg(const QString& path, QWidget* parent = nullptr);
  // The slider position x 0.01: 1.0 (the standard tables) unless moved.
  float Ratio() const;
  QSlider* Slider() const { return m_slider; }

 private:
  QSlider* m_slider;
  QLabel* m_position;
};

// Asks for the file (and for JPEG the compression), then writes the
// picture (the window rendered 1:1, or its map page) with its resolution in
// pixels per metre. False when cancelled or failed.
bool ExportPicture(Messenger& messenger, UiSeam& ui, QWidget* parent, const Dib& picture,
                   int32_t xPelsPerMeter, int32_t yPelsPerMeter);

}  // namespace lumora::gui
