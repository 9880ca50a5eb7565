// Import of a satellite product or GeoTIFF files as a file set: band files
// (8-bit stretched, or 16-bit as the source holds them), descriptions naming
// the source band, and a settings file with the geographic reference. The
// set is written in a staging folder and moved into place only when
// complete, so a failure leaves the output's files as they were.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "importer/product.h"

namespace lumora::importer {

// The largest side an imported image may have.
inline constexpr int kMaxImportSide = 20000;

struct ImportOptions {
  // Area in pixels of the product's finest grid (0-based left and top).
  bool hasArea = false;
  int areaLeft = 0, areaTop = 0, areaWidth = 0, areaHeight = 0;
  // Or an area in longitude and latitude (WGS 84): the grid cells it covers.
  bool hasLonLat = false;
  double west = 0.0, south = 0.0, east = 0.0, north = 0.0;
  // The output fits in this box, keeping the area's proportions (0: no limit).
  int maxWidth = 0, maxHeight = 0;
  bool keep16bit = false;
  int sensor = -1;  // SENSOR of GeoTIFF inputs; -1 means TM
  // Output rows read at once (0: a few megabytes' worth), and the free space
  // taken for the output's disk (-1: asked of the system). Tests set them.
  int windowRows = 0;
  int64_t freeSpace = -1;
  // The settings file of a scene whose grid the product is put on (size,
  // corner, cell size, orientation): pixel (x, y) is then the same ground in
  // both. Cells the product does not cover hold 0, "no data". Not with an
  // area or a size.
  std::string like;
  bool bilinear = false;  // resampling onto that grid; nearest otherwise
};

// What an import would read, for choosing before running it.
struct ProductSummary {
  Product product;  // GeoTIFF inputs expanded to one entry per band
  int width = 0;    // the finest grid, all bands overlapping
  int height = 0;
  std::string system;  // name of the coordinate system
  // Some band reaches beyond the part all bands cover, which is all that
  // is imported.
  bool cutToOverlap = false;
};

// Opens the inputs and checks that their bands fit on one grid. Failures
// are reported through the messenger (title kImportTitle).
bool InspectProduct(const std::vector<std::string>& inputs, ProductSummary& summary,
                    Messenger& messenger);

// When the inputs are cut to the part they all cover, the words that say so
// with the size that remains (61479 and "W x H"); empty otherwise.
std::string OverlapNote(const ProductSummary& summary);

// Writes the file set of outInf (FOLDER/NAME.inf), creating the folder when
// missing. Bands are read a window of rows at a time, in as many passes as
// their stretch needs. Messages as InspectProduct, and 61466 too large,
// 61467 area outside, 61468 folder not writable, 61469 read failure, 61481
// not enough free space (before anything is written), 61233 memory.
bool ImportScene(const std::vector<std::string>& inputs, const std::string& outInf,
                 const ImportOptions& options, Messenger& messenger, Progress* progress);

// Reports an import error: the message with its detail on a second line.
void ReportImportError(Messenger& messenger, const ImportError& error);

}  // namespace lumora::importer
