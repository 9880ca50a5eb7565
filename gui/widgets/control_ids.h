// The ids of the program's windows and controls. Each widget carries its id
// as its object name, by which the tests find it.
#pragma once

#include <QObject>
#include <QString>

namespace lumora::gui {

enum ControlId : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdMessageBox = 100,
  kIdZoomBox = 103,
  kIdZoomLabel = 105,
  kIdProgressWindow = 109,
  kIdImagePath = 117,
  kIdProgressBar = 148,
  kIdProgressPercent = 150,
  kIdBlueBand = 159,
  kIdRedBand = 162,
  kIdGreenBand = 163,
  kIdLegendsInFront = 208,
  kIdHideLegends = 210,
  kIdShowLegends = 211,
  kIdExportName = 221,
  kIdWelcome = 250,
  kMenuElementary = 252,
  kMenuJunior = 253,
  kMenuNoImage = 254,
  kIdToolBarFile = 253,
  kIdToolBarProcess = 254,
  kIdPalette = 255,
  kIdComposition = 261,
  kIdPaletteVegetation = 289,
  kIdPaletteClassify = 290,
  kIdPaletteDem = 291,
  kIdColourComposite = 308,
  kIdOneBand = 309,
  kIdBlueSwatch = 316,
  kIdGreenSwatch = 317,
  kIdRedSwatch = 318,
  kIdBlueLabel = 319,
  kIdRainbow = 320,
  kIdGreenLabel = 325,
  kIdBandsHeading = 326,
  kIdRedLabel = 351,
  kIdFilterChoice = 351,
  kIdFilterSummary = 352,
  kIdProgressAction = 356,
  kIdQualitySlider = 371,
  kIdQualityValue = 372,
  kIdWelcomePicture = 374,
  kIdFilter = 379,
  kIdExport = 396,
};

inline void SetControlId(QObject* object, int id) { object->setObjectName(QString::number(id)); }

}  // namespace lumora::gui
