// The elevation processing settings form: which kind and height ratio are
// checked, which controls take input for the checked kind and the image's
// file state, the four angles and the request they make on OK.
#pragma once

#include "core/analysis/dem_processing.h"

namespace lumora {

// Control ids of the form.
enum DemControl : int {
  kDemRadioAbsolute = 357,
  kDemRadioRelative = 358,
  kDemRadioShadeMono = 360,
  kDemRadioShadeAbsolute = 361,
  kDemRadioShadeRelative = 362,
  kDemLightAzimuth = 366,
  kDemLightElevation = 367,
  kDemRadioBirdsEye = 368,
  kDemViewAzimuth = 369,
  kDemViewElevation = 370,
  kDemRatio1 = 377,  // "1:1" .. "1:5" are 377 .. 381
  kDemRatio5 = 381,
};

class DemSettingsForm {
 public:
  // An image already processed (any state but 0 and 9) can only be shown
  // as a bird's-eye view of its current display.
  explicit DemSettingsForm(int fileState);

  // A radio button of either group was clicked (others are ignored).
  void Click(int control);
  bool Checked(int control) const { return control == m_kindRadio || control == m_ratioRadio; }
  bool Enabled(int control) const;

  float lightAzimuth = 45.0f;
  float lightElevation = 45.0f;
  float viewAzimuth = 45.0f;
  float viewElevation = 5.0f;

  // The first edit whose angle is outside its range, or 0 when all fit.
  int InvalidAngle() const;
  // The request of the checked kind and ratio with the angles.
  DemRequest Request() const;

 private:
  bool m_processed = false;
  int m_kindRadio = kDemRadioAbsolute;
  int m_ratioRadio = kDemRatio1;
  bool m_ratiosOpened = false;
};

}  // namespace lumora
