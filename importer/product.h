// Which files of a download make up a scene: a Landsat 8/9 Collection 2
// product (its MTL file, text, JSON or XML, or its folder), a Sentinel-2
// Level-2A folder, or plain GeoTIFF files. Only names and the MTL text are
// read here; the rasters are opened by the importer.
#pragma once

#include <string>
#include <vector>

namespace lumora::importer {

enum class ProductKind { kLandsat, kSentinel2, kGeoTiff };

// One band of the file set to be written and where it comes from.
struct SourceBand {
  std::string path;         // raster file
  int sourceBand = 1;       // band of that file (1-based)
  int number = 0;           // band number in the file set
  std::string label;        // source band name for messages and descriptions ("B4")
  std::string description;  // first line of the description file (UTF-8)
  bool zeroIsNoData = false;
};

struct Product {
  ProductKind kind = ProductKind::kGeoTiff;
  int sensor = 1;  // SENSOR code the presets use (1 = TM numbering)
  std::vector<SourceBand> bands;
  // Files read besides the rasters (the MTL file).
  std::vector<std::string> otherFiles;
  // The day the scene was taken ("YYYY-MM-DD"), when the product says it.
  std::string date;
};

// What went wrong, in the program's words: a message id and the detail
// (file names, band names) that goes with it.
struct ImportError {
  int id = 0;
  std::string detail;
};

// Decides what the inputs are and lists their bands, numbered as the TM
// presets expect for Landsat and Sentinel-2. GeoTIFF inputs come back with
// one entry per file and sourceBand 0: the importer expands them once it has
// opened them. False with the error filled when a product is incomplete or
// the inputs are not a product.
bool FindProduct(const std::vector<std::string>& inputs, Product& product, ImportError& error);

// The value of KEY in MTL metadata, which comes as KEY = "VALUE" lines, as
// JSON ("KEY": "VALUE") or as XML (<KEY>VALUE</KEY>); the first occurrence
// wins. Empty when absent.
std::string MtlValue(const std::string& text, const std::string& key);

}  // namespace lumora::importer
