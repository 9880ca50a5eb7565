#include "gui/radiometry/brightness_command.h"

#include "core/radiometry/brightness.h"
#include "core/shell/command_rules.h"
#include "gui/app/kiri_app.h"
#include "gui/radiometry/brightness_dlg.h"
#include "gui/view/kiri_view.h"
#include "gui/view/step_command.h"
#include "gui/widgets/progress_dlg.h"
#include "paint/spectrum_painter.h"

namespace lumora::gui {

// The preview maps only the picture the window draws; the display image
// itself stays as it is until OK.
void CKiriView::ShowThroughTables(const LookupTables& tables) {
  const Dib& dib = m_session.Display();
  if (dib.Empty() || m_picture.width() != dib.width || m_picture.height() != dib.height) return;
  for (int y = 0; y < dib.height; ++y)
    MapRowThroughTables(dib.TopRow(y), m_picture.scanLine(y), dib.width, tables);
  m_previewing = true;
  viewport()->update();
}

namespace {

// The display bytes of the pixels pinned in the spectrum window, for the
// histogram's marks; pins outside the shown part are left out.
std::vector<CBrightnessDlg::PixelMark> PinnedDisplayBytes(const CKiriView& view) {
  const Dib& dib = view.Session().Display();
  const AreaRect& area = view.Session().Area();
  const int step = std::max(1, view.Session().State().m_nStep);
  std::vector<CBrightnessDlg::PixelMark> marks;
  for (const CKiriView::Pin& pin : view.Pins()) {
    const int x = (pin.x - area.m_nAreaLeft) / step, y = (pin.y - area.m_nAreaTop) / step;
    if (dib.Empty() || pin.x < area.m_nAreaLeft || pin.y < area.m_nAreaTop || x >= dib.width ||
        y >= dib.height)
      continue;
    const uint8_t* p = dib.TopRow(y) + 3 * x;
    marks.push_back({{p[0], p[1], p[2]}, paint::PinColour(pin.colour)});
  }
  return marks;
}

}  // namespace

void RunBrightnessCommand(CKiriApp& app, CKiriView& view, int command) {
  if (app.ToolDialog()) return;
  ImageSession& session = view.Session();
  Messenger& messenger = app.Msg();
  if (command == kCmdBrightness) {
    CBrightnessDlg dialog(
        session.Display(), session.State().m_bSingleBand, session.StretchStart(), messenger,
        [&view](const LookupTables& tables) { view.ShowThroughTables(tables); }, view.Frame());
    dialog.SetMarks(PinnedDisplayBytes(view));
    const bool ok = RunToolDialog(app, dialog);
    if (ok) {
      WaitCursor wait;
      CProgressDlg progressDialog(view.Frame());
      Progress progress(&progressDialog);
      if (ApplyBrightnessDialog(session, dialog.Tables(), dialog.Values(), messenger, progress)) {
        lessons::Action kept;
        kept.kind = lessons::Action::kStepKept;
        kept.name = QStringLiteral("brightness");
        app.NoteLessonAction(kept);
      }
    }
    // After Cancel, or when the new image could not be had, the window shows
    // the display image exactly as it was.
    view.DisplayChanged();
    return;
  }
  WaitCursor wait;
  CProgressDlg progressDialog(view.Frame());
  Progress progress(&progressDialog);
  const bool changed = command == kCmdSmooth ? EqualiseBrightness(session, messenger, progress)
                                             : AutomaticBrightness(session, messenger, progress);
  progress.Close();
  if (changed) view.DisplayChanged();
}

}  // namespace lumora::gui
