// The colour-ramp legend of a vegetation-index result or of an image shown
// in rainbow colours: the ramp from the minimum at the bottom to the maximum
// at the top, with the three values beside it. A band-maths result's legend
// has its formula as title and names the colour of "no value"; a change
// map's also says how much ground lost, gained and kept its value.
#pragma once

#include "core/analysis/vegetation_index.h"
#include "core/support/messenger.h"
#include "gui/widgets/legend_window.h"

class QLabel;

namespace lumora {
class ImageSession;
}

namespace lumora::gui {

inline constexpr int kRampLegendTemplate = 318;
inline constexpr int kRampTopLabel = 345;
inline constexpr int kRampMiddleLabel = 346;
inline constexpr int kRampBottomLabel = 347;
inline constexpr int kRampFrame = 348;
inline constexpr int kRampNoValueLabel = 349;
inline constexpr int kRampChangeLabel = 350;

class CRampLegendDlg : public CLegendWindow {
  Q_OBJECT
 public:
  CRampLegendDlg(const ImageSession& session, Messenger& messenger, QWidget* owner);

  // From the range file beside the image's current settings file; false
  // (reported, legend unchanged) when it cannot be read.
  bool FillFromRangeFile(bool rainbow);
  // From the display range of a rainbow display.
  void FillFromNumbers(float maximum, float minimum, bool rainbow);

  const RampLegend& Legend() const { return m_legend; }
  QString LabelText(int id) const;
  // The ramp frame's rectangle in the window.
  QRect RampRect() const;

  bool DrawOnPage(QPainter& painter, const LegendPagePlacement& place,
                  Messenger& messenger) const override;

 protected:
  void DrawOnScreen(QPainter& painter) override;

 private:
  void ShowLabels();

  const ImageSession& m_session;
  Messenger& m_messenger;
  RampLegend m_legend;
  QWidget* m_frame;
  QLabel* m_labels[3];
  QLabel* m_noValue;  // band maths only
  QLabel* m_change;   // a change map's areas
};

}  // namespace lumora::gui
