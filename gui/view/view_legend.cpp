// The image window's legend: which legend window an image gets, and how it
// follows the palette.
#include <QCheckBox>

#include "gui/analysis/dem_legend_dlg.h"
#include "gui/analysis/land_cover_dlg.h"
#include "gui/analysis/ramp_legend_dlg.h"
#include "gui/app/kiri_app.h"
#include "gui/app/operation_dlg.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/legend_window.h"

namespace lumora::gui {

namespace {

// The legend window of the image's legend kind, filled; nullptr when the
// image has none or its data cannot be read (reported).
CLegendWindow* MakeLegendWindow(CKiriApp& app, CKiriView& view) {
  const ImageSession& s = view.Session();
  switch (s.Legend()) {
    case LegendKind::kVegetation: {
      auto* legend = new CRampLegendDlg(s, app.Msg(), view.Frame());
      if (legend->FillFromRangeFile(s.State().m_bRainbow)) return legend;
      delete legend;
      return nullptr;
    }
    case LegendKind::kColourRamp: {
      auto* legend = new CRampLegendDlg(s, app.Msg(), view.Frame());
      legend->FillFromNumbers(s.State().m_fDispMax, s.State().m_fDispMin, s.State().m_bRainbow);
      return legend;
    }
    case LegendKind::kClass: return new CClassLegendDlg(app, view);
    case LegendKind::kElevation: return new CDemLegendDlg(s, app.Msg(), view.Frame());
    default: return nullptr;
  }
}

}  // namespace

void CKiriView::RebuildLegend() {
  if (m_pLegend) m_pLegend->Dispose();
  m_pLegend = MakeLegendWindow(m_app, *this);
  if (!m_pLegend) return;
  // Closing the legend gives back the commands it kept off.
  connect(m_pLegend, &CLegendWindow::closedByUser, this, [this, legend = m_pLegend.data()] {
    if (m_pLegend == legend) m_pLegend = nullptr;
    m_app.RefreshCommands();
  });
  if (const COperationDlg* palette = m_app.Palette())
    m_pLegend->SetInFront(palette->InFront()->isChecked());
  FollowLegendFlag();
}

void CKiriView::FollowLegendFlag() {
  if (m_pLegend) m_pLegend->SetShown(m_app.LegendVisible() && !m_session.AnnotationsShown());
}

void CKiriView::SetLegendInFront(bool inFront) {
  if (m_pLegend) m_pLegend->SetInFront(inFront);
}

}  // namespace lumora::gui
