#include "core/shell/command_rules.h"

#include <cstdio>
#include <filesystem>

#include "core/support/band_expression.h"
#include "core/support/file_set.h"
#include "core/support/regular_file.h"

namespace lumora {

bool IsCommandEnabled(int id, const CommandState& s) {
  const bool v = s.hasActiveView && !s.printPreview;
  const bool i = s.imageViewActive;
  const bool d = !s.toolDialogOpen;
  const bool l = !s.annotationsShown;
  const bool vid = v && i && d;
  const int fs = s.fileState;
  const bool unprocessedOrFiltered = fs == 0 || fs >= 9;
  switch (id) {
    case kCmdOpen:
    case kCmdImport:
    case kCmdPrintSetup:
    case kCmdExit:
    case kCmdAbout:
    case kCmdHelpIndex:
    case kCmdHelpUsing:
    case kCmdContextHelp:
    case kCmdHelp:
    case kCmdLessons: return true;
    case kCmdNextPane:
    case kCmdPrevPane: return s.hasActiveView;
    case kCmdSaveAs:
    case kCmdPrint:
    case kCmdClose: return s.hasActiveView;
    case kCmdOpenPart: return vid && l && fs != 5;
    case kCmdExportFull: return vid && !s.annotationsShown;
    case kCmdExport:
    case kCmdPrintPreview:
    case kCmdAnnotation:
    case kCmdImageInfo:
    case kCmdCompare:
    case kCmdLink: return vid;
    case kCmdUndo: return vid && (s.hasPreviousImage || s.annotationsShown);
    case kCmdEnlarge:
    case kCmdReduce: return v && i && l;
    case kCmdBrightness:
    case kCmdSmooth:
    case kCmdAutoBrightness: return vid && l && !s.hasLegend && fs != 6;
    case kCmdProfile:
    case kCmdSpectrum:
    case kCmdRegion:
    case kCmdScatter: return vid && l && fs != 5;
    case kCmdDnValue: return v && l && (fs <= 2 || fs >= 9);
    case kCmdRuler:
      // Also off during a preview and while a tool dialog is open, like every
      // other tool of the view.
      return vid && s.lengthPerPixel > 0.0;
    case kCmdReverseRainbow: return vid && l && s.rainbow;
    case kCmdFilter: return vid && l && !s.hasLegend && unprocessedOrFiltered;
    case kCmdVegetation:
    case kCmdClassify: return vid && l && unprocessedOrFiltered;
    case kCmdBandMath:
    case kCmdChange: return BandExpression::Available() && vid && l && unprocessedOrFiltered;
    case kCmdDem: return vid && l && fs != 5 && s.rangeFileExists;
    default: return false;
  }
}

PaletteButtons PaletteButtonsFor(const CommandState& s, bool juniorMenu, int bandCount) {
  PaletteButtons b;
  if (!juniorMenu || !s.hasActiveView || s.printPreview || !s.imageViewActive || s.toolDialogOpen ||
      s.annotationsShown)
    return b;
  const int fs = s.fileState;
  b.vegetation = b.classification = (fs == 0 || fs == 9) && bandCount > 2;
  b.dem = fs != 5 && s.rangeFileExists;
  b.bandMath = BandExpression::Available() && (fs == 0 || fs == 9) && bandCount > 0;
  return b;
}

bool HasElevationRange(const std::string& settingsPath) {
  return IsReadableRegularFile(ResolveNoCase(StripExtension(settingsPath) + ".lev"));
}

}  // namespace lumora
