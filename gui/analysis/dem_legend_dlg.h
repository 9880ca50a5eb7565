// The legend of elevation colours: the sea swatch, the colour bar from the
// lowest altitude shown at the bottom to the highest at the top, and the two
// altitudes beside it.
#pragma once

#include "core/analysis/elevation.h"
#include "core/support/messenger.h"
#include "gui/widgets/legend_window.h"

class QLabel;

namespace lumora {
class ImageSession;
}

namespace lumora::gui {

inline constexpr int kDemLegendTemplate = 388;
inline constexpr int kDemLegendSea = 358;
inline constexpr int kDemLegendBar = 359;
inline constexpr int kDemLegendLow = 191;
inline constexpr int kDemLegendHigh = 192;

class CDemLegendDlg : public CLegendWindow {
  Q_OBJECT
 public:
  // Reads the range file beside the image's current settings file; the
  // range is relative when the image's file state, or that of the image a
  // bird's-eye view drapes, is a relative one. When the file cannot be read
  // (reported) the labels keep their initial "1000m".
  CDemLegendDlg(const ImageSession& session, Messenger& messenger, QWidget* owner);

  const DemLegendRange& Range() const { return m_range; }
  QString LabelText(int id) const;
  QRect SeaRect() const;
  QRect BarRect() const;

  bool DrawOnPage(QPainter& painter, const LegendPagePlacement& place,
                  Messenger& messenger) const override;

 protected:
  void DrawOnScreen(QPainter& painter) override;

 private:
  const ImageSession& m_session;
  DemLegendRange m_range;
  QWidget* m_sea;
  QWidget* m_bar;
  QLabel* m_low;
  QLabel* m_high;
};

}  // namespace lumora::gui
