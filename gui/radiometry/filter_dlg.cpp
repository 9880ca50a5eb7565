#include "gui/radiometry/filter_dlg.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/radiometry/filter_kernels.h"
#include "core/radiometry/filter_run.h"
#include "core/support/string_table.h"
#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

CFilterDlg::CFilterDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("379"));
  setWindowTitle(QStringLiteral("フィルタリング"));
  m_combo = new QComboBox(this);
  m_combo->setObjectName(QStringLiteral("351"));
  for (const FilterRecord& r : FilterTable()) m_combo->addItem(QString::fromUtf8(r.name));
  m_combo->setCurrentIndex(-1);
  m_summary = new QPlainTextEdit(QString::fromUtf8(kFilterPrompt), this);
  m_summary->setObjectName(QStringLiteral("352"));
  m_summary->setReadOnly(true);
  m_summary->setFixedHeight(60);
  connect(m_combo, &QComboBox::currentIndexChanged, this, &CFilterDlg::OnSelection);

  auto* buttons = OkCancelRow(this, QStringLiteral("OK"), QStringLiteral("キャンセル"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("フィルタ"), this));
  layout->addWidget(m_combo);
  layout->addWidget(new QLabel(QStringLiteral("概要"), this));
  layout->addWidget(m_summary);
  layout->addLayout(buttons);
}

void CFilterDlg::OnSelection(int index) {
  m_index = index >= 0 && index < kFilterCount ? index : -1;
  if (m_index >= 0) m_summary->setPlainText(QString::fromUtf8(FilterTable()[m_index].description));
}

QString CFilterDlg::Summary() const { return m_summary->toPlainText(); }

void CFilterDlg::accept() {
  // OK without a choice is a cancel.
  if (m_index < 0)
    reject();
  else
    QDialog::accept();
}

void RunFilterCommand(CKiriApp& app, CKiriView& view) {
  Messenger& messenger = app.Msg();
  for (;;) {
    if (app.ToolDialog()) return;
    int index = -1;
    {
      CFilterDlg dialog(view.Frame());
      app.SetToolDialog(&dialog);
      const int result = app.Ui().RunDialog(dialog);
      app.SetToolDialog(nullptr);
      if (result != QDialog::Accepted || dialog.SelectedIndex() < 0) return;
      index = dialog.SelectedIndex();
    }
    {
      CProgressDlg progressDialog(view.Frame());
      Progress progress(&progressDialog);
      WaitCursor wait;
      if (!view.Session().BeginStep(MakeFilterStep(FilterTable()[index]), messenger, progress))
        return;
    }
    view.DisplayChanged();
    app.SetToolDialog(view.Frame());
    const bool keep = messenger.AskYesNo(kConfirmTitle, MessageText(kMsgConfirmResult));
    app.SetToolDialog(nullptr);
    if (keep) {
      view.Session().Keep();
      return;
    }
    view.Session().Revert(messenger);
    view.DisplayChanged();
  }
}

}  // namespace lumora::gui
