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
}

bool DemSettingsForm::Enabled(int control) const {
  if (m_processed) {
    // Only the viewing direction can be chosen; the ratio stays 1:1.
    return control == kDemRadioBirdsEye || control == kDemViewAzimuth ||
           control == kDemViewElevation;
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
