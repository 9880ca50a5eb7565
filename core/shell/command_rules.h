// Which commands of the main frame are enabled, decided from a snapshot of
// the application's state, so the rules can be checked without windows.
#pragma once

#include <string>

namespace lumora {

// Command ids of the menus and tool bars.
enum CommandId : int {
  kCmdEnlarge = 101,
  kCmdReduce = 102,
  kCmdOpenPart = 32769,
  kCmdDnValue = 32775,
  kCmdImageInfo = 32777,
  kCmdOpen = 32778,
  kCmdProfile = 32783,
  kCmdScatter = 32790,
  kCmdBrightness = 32791,
  kCmdFilter = 32798,
  kCmdVegetation = 32800,
  kCmdClassify = 32807,
  kCmdRedraw = 32809,
  kCmdSmooth = 32812,
  kCmdAutoBrightness = 32813,
  kCmdZoomFromBox = 32815,
  kCmdExport = 32830,
  kCmdRuler = 32837,
  kCmdDem = 32841,
  kCmdAnnotation = 32845,
  kCmdReverseRainbow = 32859,
  kCmdImport = 32870,  // satellite products and GeoTIFFs as a file set
  kCmdBandMath = 32880,
  kCmdLessons = 32890,     // the lesson list and panel
  kCmdSpectrum = 32892,    // the spectrum window
  kCmdRegion = 32893,      // the region tool: statistics, area and perimeter
  kCmdChange = 32894,      // what changed between two dates of one place
  kCmdCompare = 32895,     // two dates of one place in one window: swipe or blink
  kCmdLink = 32896,        // windows of one grid zoom, scroll and read out together
  kCmdExportFull = 32898,  // the export at full resolution
  kCmdClose = 57602,
  kCmdSaveAs = 57604,
  kCmdPrintSetup = 57606,
  kCmdPrint = 57607,
  kCmdPrintPreview = 57609,
  kCmdUndo = 57643,
  kCmdAbout = 57664,
  kCmdExit = 57665,
  kCmdHelpIndex = 57666,
  kCmdHelpUsing = 57668,
  kCmdContextHelp = 57669,  // Shift+F1
  kCmdHelp = 57670,         // F1
  kCmdNextPane = 57680,     // F6: the next image window
  kCmdPrevPane = 57681,     // Shift+F6: the previous one
};

// The application's state as the enabling rules see it.
struct CommandState {
  bool hasActiveView = false;     // an image view was the last to gain focus
  bool printPreview = false;      // that view shows a print preview
  bool imageViewActive = false;   // an image view, not the palette, is the active window
  bool toolDialogOpen = false;    // the tool-dialog marker is set
  bool annotationsShown = false;  // the view shows the annotation page
  int fileState = 0;
  bool hasPreviousImage = false;  // a previous display image is kept for undo
  bool hasLegend = false;         // the view has a legend window
  bool rainbow = false;
  bool rangeFileExists = false;  // HasElevationRange of the current settings file
  double lengthPerPixel = 0.0;
};

// Whether a command is enabled. Unknown ids are disabled.
bool IsCommandEnabled(int id, const CommandState& s);

// The palette's analysis buttons. They act only in the junior mode on an
// active image view that takes commands (an image view, not the palette, is
// the active window, no preview, no tool dialog).
struct PaletteButtons {
  bool vegetation = false;
  bool classification = false;
  bool dem = false;
  bool bandMath = false;
  bool operator==(const PaletteButtons&) const = default;
};
PaletteButtons PaletteButtonsFor(const CommandState& s, bool juniorMenu, int bandCount);

// Whether the elevation range file beside the settings file (its ".lev",
// in any case) is a regular file that opens: the DEM command needs it.
bool HasElevationRange(const std::string& settingsPath);

}  // namespace lumora
