#include "core/analysis/dem_settings.h"

#include "core/imagefile/settings_file.h"

namespace lumora {
namespace {

bool IsKindRadio(int c) {
  return c == kDemRadioAbsolute || c == kDemRadioRelative || c == kDemRadioShadeMono ||
         c == kDemRadioShadeAbsolute || c == kDemRadioShadeRelative || c == kDemRadioBirdsEye;
}
bool IsRatio(int c) { return c >= kDemRatio1 && c <= kDemRatio5; }
bool IsShade(int c) {
  return c == kDemRadioShadeMono || c == kDemRadioShadeAbsolute || c == kDemRadioShadeRelative;
}

}  // namespace

DemSettingsForm::DemSettingsForm(int fileState)
    : m_processed(fileState != kStateUnprocessed && fileState != kStateFiltered),
      m_kindRadio(m_processed ? kDemRadioBirdsEye : kDemRadioAbsolute) {}

void DemSettingsForm::Click(int control) {
  if (!Enabled(control)) return;
  if (IsKindRadio(control)) m_kindRadio = control;
  if (IsRatio(control)) m_ratioRadio = control;
  // Clicking the bird's-eye button (even when it is already checked, as it
  // is for a processed image) opens the height ratios too.
  if (control == kDemRadioBirdsEye) m_ratiosOpened = true;
}

bool DemSettingsForm::Enabled(int control) const {
  if (m_processed) {
    // Only the bird's-eye view: its direction, and its height ratio once
    // its button has been clicked.
    return control == kDemRadioBirdsEye || control == kDemViewAzimuth ||
           control == kDemViewElevation || (IsRatio(control) && m_ratiosOpened);
  }
  if (IsKindRadio(control)) return true;
  if (control == kDemLightAzimuth || control == kDemLightElevation) return IsShade(m_kindRadio);
  if (control == kDemViewAzimuth || control == kDemViewElevation || IsRatio(control))
    return m_kindRadio == kDemRadioBirdsEye;
  return false;
}

int DemSettingsForm::InvalidAngle() const {
  // The form exchanges the angles as floats and checks them as such.
  if (!(lightAzimuth >= 0.0f && lightAzimuth <= 360.0f)) return kDemLightAzimuth;
  if (!(lightElevation >= 0.0f && lightElevation <= 90.0f)) return kDemLightElevation;
  if (!(viewAzimuth >= 0.0f && viewAzimuth <= 360.0f)) return kDemViewAzimuth;
  if (!(viewElevation >= 0.0f && viewElevation <= 90.0f)) return kDemViewElevation;
  return 0;
}

DemRequest DemSettingsForm::Request() const {
  DemRequest r;
  switch (m_kindRadio) {
    case kDemRadioAbsolute: r.kind = kStateElevationAbsolute; break;
    case kDemRadioRelative: r.kind = kStateElevationRelative; break;
    case kDemRadioShadeMono: r.kind = kStateShadeMono; break;
    case kDemRadioShadeAbsolute: r.kind = kStateShadeAbsolute; break;
    case kDemRadioShadeRelative: r.kind = kStateShadeRelative; break;
    default:
      r.kind = kStateBirdsEye;
      r.exaggeration = 1.0 + (m_ratioRadio - kDemRatio1);
      break;
  }
  r.lightAzimuth = lightAzimuth;
  r.lightElevation = lightElevation;
  r.viewAzimuth = viewAzimuth;
  r.viewElevation = viewElevation;
  return r;
}

}  // namespace lumora
