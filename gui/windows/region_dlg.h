// The region window: for a rectangle or polygon drawn with the region tool,
// every band's minimum, maximum, mean, standard deviation and a small
// histogram, the pixel count, and the ground area and perimeter. Saved as
// CSV and printed on A4 by the shared painter.
#pragma once

#include <QDialog>
#include <QPointer>

#include "core/windows/region_stats.h"

class QLabel;
class QTableWidget;

namespace lumora::gui {

class CKiriApp;
class CKiriView;

class CRegionDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CRegionDlg(CKiriApp& app);

  // Computes and shows the statistics of region on the view's image; false
  // (the window unchanged, the reason shown) for a bad region or band.
  bool ShowRegion(CKiriView& view, const Region& region);
  CKiriView* BoundView() const { return m_view; }
  const Region& ShownRegion() const { return m_region; }
  const RegionStats& Stats() const { return m_stats; }
  const GroundMeasure& Measure() const { return m_measure; }
  QTableWidget* Table() const { return m_table; }
  std::string Csv() const { return RegionCsv(m_stats, m_measure); }

 private:
  void OnSaveCsv();
  void OnPrint();

  CKiriApp& m_app;
  QPointer<CKiriView> m_view;
  Region m_region;
  RegionStats m_stats;
  GroundMeasure m_measure;
  QLabel* m_summary;
  QTableWidget* m_table;
};

// The region window (made on first use); nullptr before.
CRegionDlg* RegionWindow(CKiriApp& app);
// Shows the statistics of region in it; false when they cannot be computed.
bool ShowRegionWindow(CKiriApp& app, CKiriView& view, const Region& region);

}  // namespace lumora::gui
