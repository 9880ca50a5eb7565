// Export of what an image window shows as a JPEG or TIFF file, and the
// compression dialog asked for JPEG names.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/view/dib.h"
#include "core/view/image_session.h"

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

// An output file that is no file of the image shown (the opened set or its
// working copy) by any name or link; otherwise 61273 and false.
bool OutputSparesImage(const std::string& output, const ImageSession& session,
                       Messenger& messenger);

// The folder of the image as opened (never the working folder of a
// processed result): where the save and export dialogs start.
QString FolderOfImage(const ImageSession& session);

// Asks for the file (the dialog starts in the image's folder; for JPEG also
// the compression), then writes the picture (the window rendered 1:1, or its
// map page) with its resolution in pixels per metre. False when cancelled or failed.
bool ExportPicture(Messenger& messenger, UiSeam& ui, QWidget* parent, const ImageSession& session,
                   const Dib& picture, int32_t xPelsPerMeter, int32_t yPelsPerMeter);
// The same for a picture made only once the file is chosen (make fills it,
// false when it failed and said so).
bool ExportPicture(Messenger& messenger, UiSeam& ui, QWidget* parent, const ImageSession& session,
                   const std::function<bool(Dib&, Progress&)>& make, int32_t xPelsPerMeter,
                   int32_t yPelsPerMeter);

}  // namespace lumora::gui
