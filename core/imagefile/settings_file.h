// The image settings file (.inf): a line-oriented text file that describes
// an image's size, origin, sensor, geographic reference and processing state,
// and the display state file (.brd) that uses the same grammar.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/support/messenger.h"

namespace lumora {

enum Sensor : int { kSensorAster = 0, kSensorTm = 1, kSensorMss = 2 };

enum FileState : int {
  kStateUnprocessed = 0,
  kStateVegetation = 1,
  kStateClassified = 2,
  kStateElevationAbsolute = 3,
  kStateElevationRelative = 4,
  kStateBirdsEye = 5,
  kStateShadeMono = 6,
  kStateShadeAbsolute = 7,
  kStateShadeRelative = 8,
  kStateFiltered = 9,
};

// Sample-type codes and the band file suffix letters.
enum SampleType : int { kSample8 = 1, kSample16 = 2, kSampleFloat = 3 };
char SampleLetter(int sampleType);  // 'b', 'i', 'r'; 0 for others
int SampleBytes(int sampleType);    // 1, 2, 4; 0 for others

// Values of a settings file's keys; the defaults are those before reading.
struct ImageSettings {
  int32_t lines = 0;            // LINE
  int32_t pixels = 0;           // PIXEL
  int32_t startLine = 0;        // START_LINE
  int32_t startPixel = 0;       // START_PIXEL
  int32_t samplingRate = 0;     // SAMPLING_RATE
  double orgE = 0.0;            // OrgE
  double orgN = 0.0;            // OrgN
  int32_t usrOffN = 0;          // UsrOffN
  int32_t usrOffE = 0;          // UsrOffE
  std::string gpsChar;          // GPS_CHAR, raw rest of line
  double gpsM0 = 0.9996;        // GPS_m0
  double gpsYoff = 500000.0;    // GPS_Yoff
  double gpsA = 6377397.155;    // GPS_A
  double gpsRf = 299.152813;    // GPS_rf
  int32_t sensor = 0;           // SENSOR, 0..2
  double lengthPerPixel = 0.0;  // LengthPerPixel (km)
  double leftTopLon = 500.0;    // LeftTop_Lon; 500 = not given
  double leftTopLat = 500.0;    // LeftTop_Lat; 500 = not given
  double inclination = 0.0;     // Inclination
  int32_t rainbow = 0;          // Rainbow, 0/1
  int32_t fileState = 0;        // File_State, 0..9
  int32_t singleBand = 0;       // Single_Band, 0/1
  std::string date;             // Date: the day the picture was taken, raw text
  std::string alignedTo;        // AlignedTo: the scene whose grid it was put on

  bool HasGeoReference() const { return leftTopLon != 500.0 && leftTopLat != 500.0; }
};

// One grid: the same size, corner, cell size and turn, so that pixel (x, y)
// is the same ground in both.
bool SameGrid(const ImageSettings& a, const ImageSettings& b);

// A date "YYYY-MM-DD" of a real day (years 1900-2199); 0 otherwise. The
// result orders dates: year * 10000 + month * 100 + day.
int32_t DateNumber(std::string_view text);

// Reads a settings file. Fails with 61234 when it cannot be opened and 61274
// when a longitude, latitude or inclination is out of range; the record is
// left untouched on failure.
bool ReadSettings(const std::string& path, ImageSettings& out, Messenger& messenger);

// Parses settings text (the grammar without the file); false when a range
// check fails.
bool ParseSettings(const std::string& text, ImageSettings& out);

// An image must have at least one line and one pixel, and its largest band
// (4-byte samples) must be addressable and allocatable. Reports 61400 / 61401.
bool CheckImageSize(const ImageSettings& s, Messenger& messenger);

// Writes the new state's settings file from the previous one: LINE and PIXEL
// replaced, the three state keys dropped and appended at the end. When the
// source cannot be read, openedPath with its extension replaced by ".inf" is
// tried. The target is written through a temporary file, so a failure leaves
// any existing target as it was (61234 source, 61289 target).
bool RewriteSettingsAfterProcessing(const std::string& source, const std::string& target,
                                    const std::string& openedPath, int lines, int pixels,
                                    int rainbow, int singleBand, int fileState,
                                    Messenger& messenger);

// Writes the settings file of a partial write: LINE, PIXEL, LeftTop_Lon and
// LeftTop_Lat replaced (matched on the bare key name), every other line copied.
// 61234 when either file cannot be opened.
bool RewriteSettingsForPartialWrite(const std::string& source, const std::string& target, int lines,
                                    int pixels, double leftTopLon, double leftTopLat,
                                    Messenger& messenger);

// Display state file (.brd) of a bird's-eye result.
struct DisplayStateFile {
  int state = 0;
  int maxVal = 0;
  int minVal = 0;
};
// Range values are truncated toward zero. 61289 when it cannot be created.
bool WriteDisplayStateFile(const std::string& path, int state, float maxVal, float minVal,
                           Messenger& messenger);
// False (without a message) when the file cannot be opened.
bool ReadDisplayStateFile(const std::string& path, DisplayStateFile& out);
bool ParseDisplayState(const std::string& text, DisplayStateFile& out);

// Writes a whole file through a temporary beside it, renamed into place only
// when everything was written.
bool WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace lumora
