#include "gui/imagefile/save_as_command.h"

#include <QDir>
#include <QFileInfo>

#include "core/imagefile/save_as.h"
#include "core/imagefile/staged_file_set.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

bool RunSaveAs(CKiriApp& app, CKiriView& view) {
  const QString chosen =
      app.Ui().GetSaveFileName(view.Frame(), view.PictureFolder(), QStringLiteral("*.inf"),
                               translate("SaveAs", "Lumora Zud's 設定ファイル (*.inf)"));
  if (chosen.isEmpty()) return false;
  const std::string target = FromQ(QDir::cleanPath(QFileInfo(chosen).absoluteFilePath()));
  // Another window's set would change under it.
  for (const CKiriView* v : app.Views()) {
    if (SameFileSet(StripExtension(target), StripExtension(v->Session().CurrentPath()))) {
      app.Msg().ShowMessage(kMsgWorkingFileInUse);
      return false;
    }
  }
  WaitCursor wait;
  if (!SaveImageAs(target, view.Session().Files(), app.Msg())) return false;
  view.MarkSaved();
  return true;
}

}  // namespace lumora::gui
