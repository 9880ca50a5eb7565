#include "gui/windows/profile_dlg.h"

#include <QVBoxLayout>

#include "core/windows/profile.h"
#include "gui/app/kiri_app.h"
#include "gui/output/export_command.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

CProfileDlg::CProfileDlg(CKiriView* view) : QDialog(view->Frame()), m_view(view) {
  setObjectName(QString::number(kIdProfileDlg));
  setWindowTitle(translate("CProfileDlg", "プロファイル"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(
      OkCancelRow(this, translate("CProfileDlg", "保存"), translate("CProfileDlg", "閉じる")));
  setFixedSize(sizeHint());
}

namespace {

// The strip stays while the dialog is open and goes with it, saved or not.
void RunProfileWindow(CKiriApp& app, CKiriView& view, const CKiriView::Selection& s) {
  const ProfileGesture line = FinishProfileGesture(s.geometry, s.start, s.release);
  view.ShowProfile(line);
  CProfileDlg dialog(&view);
  const bool save = app.Ui().RunDialog(dialog) == QDialog::Accepted;
  if (save) {
    const QString path =
        app.Ui().GetSaveFileName(view.Frame(), view.PictureFolder(), QStringLiteral("*.txt"),
                                 translate("CProfileDlg", "テキスト ファイル (*.txt)"));
    const ImageSession& session = view.Session();
    // The opened set is spared as well as the working copy the profile is of.
    if (!path.isEmpty() && OutputSparesImage(FromQ(path), session, app.Msg())) {
      WriteProfileFile(FromQ(path), session.CurrentPath(), session.Display(), session.Area(),
                       session.State().m_nStep, ProfileEndsOf(s.geometry, line), app.Msg());
    }
  }
  view.HideProfile();
}

}  // namespace

void StartProfile(CKiriApp& app, CKiriView& view) {
  view.StartSelection(CKiriView::kSelectProfile, [&app, &view](const CKiriView::Selection& s) {
    RunProfileWindow(app, view, s);
  });
}

}  // namespace lumora::gui
