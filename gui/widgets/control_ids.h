// The ids of the program's windows and controls. Each widget carries its id
// as its object name, by which the tests find it.
#pragma once

#include <QObject>
#include <QString>

namespace lumora::gui {

enum ControlId : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdAbout = 100,
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
  kIdToolBarAnalysis = 1254,  // spectra and regions, beside the file bar
  kIdPalette = 255,
  kIdComposition = 261,
  kIdPaletteVegetation = 289,
  kIdPaletteClassify = 290,
  kIdPaletteDem = 291,
  kIdPaletteBandMath = 284,  // not 287 or 288: the welcome buttons act on a click, not a press
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
  // the annotation dialogs of the map page
  kIdAddInfoDlg = 256,
  kIdScalePosDlg = 257,
  kIdNorthPosDlg = 258,
  kIdLegendPosDlg = 259,
  kIdTitleDlg = 266,
  kIdTitleShown = 212,
  kIdTitleText = 300,
  kIdTitleFont = 223,
  kIdTitleColour = 340,
  kIdGridShown = 292,
  kIdGridStep = 293,
  kIdGridFont = 294,
  kIdGridColour = 217,
  kIdScaleShown = 209,
  kIdScaleLength = 299,
  kIdScaleFont = 296,
  kIdScaleColour = 218,
  kIdScalePlace = 295,
  kIdNorthShown = 210,
  kIdNorthPlace = 297,
  kIdNorthSize = 219,
  kIdLegendShown = 211,
  kIdLegendPlace = 298,
  kIdTitleEdit = 336,
  // the print preview's tool bar and its commands
  kIdPreviewBar = 378,
  kIdPreviewPrint = 58116,
  kIdPreviewZoomIn = 58117,
  kIdPreviewZoomOut = 58118,
  kIdPreviewClose = 58112,
};

inline void SetControlId(QObject* object, int id) { object->setObjectName(QString::number(id)); }

}  // namespace lumora::gui
