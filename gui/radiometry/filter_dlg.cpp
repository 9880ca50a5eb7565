#include "gui/radiometry/filter_dlg.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/radiometry/filter_kernels.h"
#include "core/radiometry/filter_run.h"
#include "gui/view/kiri_view.h"
#include "gui/view/step_command.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"

namespace lumora::gui {

CFilterDlg::CFilterDlg(QWidget* parent) : QDialog(parent) {
  SetControlId(this, kIdFilter);
  setWindowTitle(translate("CFilterDlg", "フィルタリング"));
  m_combo = new QComboBox(this);
  SetControlId(m_combo, kIdFilterChoice);
  for (const FilterRecord& r : FilterTable()) m_combo->addItem(Shown(r.name));
  m_combo->setCurrentIndex(-1);
  m_summary = new QPlainTextEdit(Shown(kFilterPrompt), this);
  SetControlId(m_summary, kIdFilterSummary);
  m_summary->setReadOnly(true);
  m_summary->setFixedHeight(60);
  connect(m_combo, &QComboBox::currentIndexChanged, this, &CFilterDlg::OnSelection);

  auto* buttons = OkCancelRow(this, QStringLiteral("OK"), translate("CFilterDlg", "キャンセル"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(translate("CFilterDlg", "フィルタ"), this));
  layout->addWidget(m_combo);
  layout->addWidget(new QLabel(translate("CFilterDlg", "概要"), this));
  layout->addWidget(m_summary);
  layout->addLayout(buttons);
}

void CFilterDlg::OnSelection(int index) {
  m_index = index >= 0 && index < kFilterCount ? index : -1;
  if (m_index >= 0) m_summary->setPlainText(Shown(FilterTable()[m_index].description));
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
  RunStepCommand(app, view, "filter", [&]() -> std::optional<ImageSession::StepChoice> {
    CFilterDlg dialog(view.Frame());
    if (!RunToolDialog(app, dialog) || dialog.SelectedIndex() < 0) return std::nullopt;
    return ImageSession::StepChoice{MakeFilterStep(FilterTable()[dialog.SelectedIndex()]), {}};
  });
}

}  // namespace lumora::gui
