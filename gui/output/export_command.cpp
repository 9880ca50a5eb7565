#include "gui/output/export_command.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "core/imagefile/output_guard.h"
#include "core/output/image_file_writer.h"
#include "core/support/text.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

CJpegQualityDlg::CJpegQualityDlg(const QString& path, QWidget* parent) : QDialog(parent) {
  SetControlId(this, kIdExport);
  setWindowTitle(translate("Export", "Jpeg圧縮率指定"));
  auto* name = new QLineEdit(path, this);
  SetControlId(name, kIdExportName);
  name->setReadOnly(true);
  m_slider = new QSlider(Qt::Horizontal, this);
  SetControlId(m_slider, kIdQualitySlider);
  m_slider->setRange(0, 100);
  m_slider->setValue(100);
  m_slider->setPageStep(10);
  m_position = new QLabel(QStringLiteral("100"), this);
  SetControlId(m_position, kIdQualityValue);
  m_position->setAlignment(Qt::AlignCenter);
  auto show = [this](int value) { m_position->setText(ToQ(Format("%3d%%", value))); };
  connect(m_slider, &QSlider::sliderMoved, this, show);
  connect(m_slider, &QSlider::actionTriggered, this,
          [this, show](int) { show(m_slider->sliderPosition()); });

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(translate("Export", "出力ファイル名"), this), 0, 0, 1, 3);
  grid->addWidget(name, 1, 0, 1, 3);
  grid->addWidget(new QLabel(translate("Export", "高画質\n0%"), this), 2, 0);
  grid->addWidget(m_slider, 2, 1);
  grid->addWidget(new QLabel(translate("Export", "低画質\n100%"), this), 2, 2);
  grid->addWidget(m_position, 3, 1);
  grid->addLayout(OkCancelRow(this, translate("Export", "保存"), translate("Export", "ｷｬﾝｾﾙ")), 4,
                  0, 1, 3);
}

float CJpegQualityDlg::Ratio() const { return static_cast<float>(m_slider->value() * 0.01); }

bool OutputSparesImage(const std::string& output, const ImageSession& session,
                       Messenger& messenger) {
  for (const std::string* settings : {&session.OpenedPath(), &session.CurrentPath()})
    if (!settings->empty() && !OutputSparesSet(output, *settings, messenger)) return false;
  return true;
}

QString FolderOfImage(const ImageSession& session) {
  return QFileInfo(ToQ(session.OpenedPath())).absolutePath();
}

bool ExportPicture(Messenger& messenger, UiSeam& ui, QWidget* parent, const ImageSession& session,
                   const std::function<bool(Dib&, Progress&)>& make, int32_t xPelsPerMeter,
                   int32_t yPelsPerMeter) {
  const QString path =
      ui.GetSaveFileName(parent, FolderOfImage(session), QStringLiteral("*.jpg"),
                         translate("Export", "JPEG ファイル (*.jpg);;TIFF ファイル (*.tif)"));
  if (path.isEmpty() || !OutputSparesImage(FromQ(path), session, messenger)) return false;
  float ratio = 1.0f;
  if (ImageFileKindOf(FromQ(path)) == ImageFileKind::kJpeg) {
    CJpegQualityDlg dialog(path, parent);
    if (ui.RunDialog(dialog) != QDialog::Accepted) return false;
    ratio = dialog.Ratio();
  }
  CProgressDlg dialog(parent);
  WaitCursor wait;
  Dib picture;
  Progress progress(&dialog);
  if (!make(picture, progress)) return false;
  CImageFileWriter writer(messenger, &dialog);
  return writer.SaveImageFile(FromQ(path), picture, ratio, xPelsPerMeter, yPelsPerMeter);
}

bool ExportPicture(Messenger& messenger, UiSeam& ui, QWidget* parent, const ImageSession& session,
                   const Dib& picture, int32_t xPelsPerMeter, int32_t yPelsPerMeter) {
  return ExportPicture(
      messenger, ui, parent, session,
      [&picture](Dib& out, Progress&) {
        out = picture;
        return true;
      },
      xPelsPerMeter, yPelsPerMeter);
}

}  // namespace lumora::gui
