// Synthetic sample scenes: a fractal landscape (sea, lakes, rivers, towns,
// fields, forest, rock and snow) rendered as the bands of a Landsat MSS, TM or
// ASTER image, with an elevation model, band descriptions and a geographic
// reference, written as a complete file set. Demos, tests and benchmarks use
// them; the same seed always gives the same bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora {

// Land cover of a sample pixel, decided from height, slope and noise.
enum class SampleCover : uint8_t {
  kDeepWater,
  kShallowWater,  // coasts, lakes and rivers
  kForest,
  kGrass,
  kCrop,
  kPaddy,
  kBareSoil,
  kTown,
  kRock,
  kSnow,
  kSand,
};

inline constexpr int kSampleMinSide = 16;
inline constexpr int kSampleMaxSide = 20000;

struct SampleSceneOptions {
  int sensor = 1;  // 0 ASTER, 1 Landsat TM, 2 Landsat MSS
  int width = 1024;
  int height = 1024;
  uint64_t seed = 1;
  // 1, or 2: the same place on the same grid years later: a lake that shrank,
  // forest cut down, a town that grew, less snow on the mountains.
  int date = 1;
};

// The day each sensor's sample was taken ("YYYY-MM-DD"), per date.
std::string SampleDate(int sensor, int date);

// A band of the sensor: its number, sample type (1 bytes, 2 16-bit) and name.
struct SampleBand {
  int number = 0;
  int sampleType = 1;
  std::string description;  // UTF-8
};

// The bands each sensor's sample carries, in band-number order.
std::vector<SampleBand> SampleBands(int sensor);

// Elevation codes: code 1 is 0 m and code 255 is kSampleMaxAltitude m.
inline constexpr int kSampleMaxAltitude = 3810;  // 15 m per code

// One rendered row. bands[k] holds the row of SampleBands()[k]: one byte per
// pixel for 8-bit bands, two little-endian bytes per pixel for 16-bit bands.
struct SampleRow {
  std::vector<std::vector<uint8_t>> bands;
  std::vector<uint8_t> dem;  // elevation codes, 0 = sea
  std::vector<SampleCover> cover;
  std::vector<float> altitude;  // metres
};

// Renders the scene row after row, keeping only a few rows in memory.
class SampleScene {
 public:
  explicit SampleScene(const SampleSceneOptions& options);
  ~SampleScene();
  SampleScene(const SampleScene&) = delete;
  SampleScene& operator=(const SampleScene&) = delete;

  const SampleSceneOptions& options() const;
  const std::vector<SampleBand>& bands() const;
  // Fills row with the next row (0, 1, ...); false after the last row.
  bool NextRow(SampleRow& row);

  // Geographic reference of the scene.
  double LengthPerPixel() const;
  double LeftTopLon() const;
  double LeftTopLat() const;
  double Inclination() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// True when the options describe a scene that can be generated.
bool ValidSampleOptions(const SampleSceneOptions& options);

// Writes the scene as the file set of settingsPath (DIR/NAME.inf): band files,
// .dNN descriptions, .dem and .lev, and the settings file, creating DIR when
// missing. Band files of the same base name left from an earlier scene are
// removed. On failure the files already there stay as they were.
// Messages: 61452 bad options, 61450 the folder cannot be created, 61289 a
// file cannot be created or written.
bool WriteSampleScene(const std::string& settingsPath, const SampleSceneOptions& options,
                      Messenger& messenger, Progress* progress = nullptr);

}  // namespace lumora
