// lumora-cli import / import-dem: satellite products, GeoTIFFs and
// elevation models brought in as file sets (over the GDAL importer).
#include <cmath>

#include "cli/command.h"
#include "cli/import_usage.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "importer/dem_import.h"
#include "importer/product.h"
#include "importer/scene_import.h"

namespace lumora::cli {
namespace {

bool IsSettingsPath(const std::string& path) {
  return path.size() > 4 && EqualsNoCase(path.substr(path.size() - 4), ".inf") &&
         path[path.size() - 5] != '/';
}

int RunImport(const std::vector<std::string>& argv) {
  constexpr const char* kName = "import";
  Args args(argv, {"keep-16bit"});
  if (!args.ok()) return UsageError(kName, args.error());
  const auto unknown =
      args.Unknown({"sensor", "area", "lonlat", "size", "keep-16bit", "like", "resample", "o"});
  if (!unknown.empty()) return UsageError(kName, "unknown option --" + unknown[0]);
  if (args.positional().empty()) return UsageError(kName, "a product or GeoTIFF files expected");
  const auto out = args.Get("o");
  if (!out || !IsSettingsPath(*out)) return UsageError(kName, "-o OUT.inf is required");

  importer::ImportOptions options;
  options.keep16bit = args.Has("keep-16bit");
  importer::Product product;
  importer::ImportError error;
  const bool found = importer::FindProduct(args.positional(), product, error);
  const bool geoTiff = found && product.kind == importer::ProductKind::kGeoTiff;
  if (auto sensor = args.Get("sensor")) {
    if (found && !geoTiff) return UsageError(kName, "--sensor applies to GeoTIFF files only");
    const auto code = ParseSensor(*sensor);
    if (!code) return UsageError(kName, "--sensor must be tm, mss or aster");
    options.sensor = *code;
  }
  if (args.Has("area") && args.Has("lonlat"))
    return UsageError(kName, "--area and --lonlat exclude each other");
  if (auto area = args.Get("area")) {
    const auto v = ParseIntList(*area, 4);
    if (!v || (*v)[0] < 0 || (*v)[1] < 0 || (*v)[2] < 1 || (*v)[3] < 1)
      return UsageError(kName, "--area takes LEFT,TOP,WIDTH,HEIGHT in pixels");
    options.hasArea = true;
    options.areaLeft = (*v)[0];
    options.areaTop = (*v)[1];
    options.areaWidth = (*v)[2];
    options.areaHeight = (*v)[3];
  }
  if (auto lonlat = args.Get("lonlat")) {
    const auto v = ParseDoubleList(*lonlat, 4);
    if (!v || !((*v)[0] < (*v)[2]) || !((*v)[1] < (*v)[3]) || (*v)[0] < -180 || (*v)[2] > 180 ||
        (*v)[1] < -90 || (*v)[3] > 90)
      return UsageError(kName, "--lonlat takes WEST,SOUTH,EAST,NORTH in degrees");
    options.hasLonLat = true;
    options.west = (*v)[0];
    options.south = (*v)[1];
    options.east = (*v)[2];
    options.north = (*v)[3];
  }
  if (auto size = args.Get("size")) {
    if (!ParseSize(*size, options.maxWidth, options.maxHeight) || options.maxWidth < 1 ||
        options.maxHeight < 1 || options.maxWidth > importer::kMaxImportSide ||
        options.maxHeight > importer::kMaxImportSide)
      return UsageError(
          kName, Format("--size must be WxH with sides from 1 to %d", importer::kMaxImportSide));
  }
  if (auto like = args.Get("like")) {
    if (args.Has("area") || args.Has("lonlat") || args.Has("size"))
      return UsageError(kName,
                        "--like takes the first scene's grid: no --area, --lonlat or --size");
    if (!IsSettingsPath(*like)) return UsageError(kName, "--like takes a scene's settings file");
    options.like = *like;
  }
  if (auto resample = args.Get("resample")) {
    if (*resample != "nearest" && *resample != "bilinear")
      return UsageError(kName, "--resample takes nearest or bilinear");
    if (options.like.empty()) return UsageError(kName, "--resample goes with --like");
    options.bilinear = *resample == "bilinear";
  }
  StderrMessenger messenger("", *out);
  // Bands of different extents lose what the others do not cover: said
  // before, as the import dialog says it. Failures are the import's to report.
  importer::ProductSummary summary;
  RecordingMessenger quiet;
  if (importer::InspectProduct(args.positional(), summary, quiet) && summary.cutToOverlap)
    messenger.ShowText(kImportTitle, importer::OverlapNote(summary));
  TerminalProgress bar;
  Progress progress(&bar);
  if (!importer::ImportScene(args.positional(), *out, options, messenger, &progress))
    return kExitFailure;
  // Plain GeoTIFF bands carry no sensor: say which one they were taken as.
  if (geoTiff && !args.Has("sensor")) messenger.ShowMessage(kMsgImportAssumedTm);
  return kExitOk;
}

int RunImportDem(const std::vector<std::string>& argv) {
  constexpr const char* kName = "import-dem";
  Args args(argv, {"replace"});
  if (!args.ok()) return UsageError(kName, args.error());
  const auto unknown = args.Unknown({"like", "replace"});
  if (!unknown.empty()) return UsageError(kName, "unknown option --" + unknown[0]);
  std::vector<std::string> positional = args.positional();
  if (auto like = args.Get("like")) positional.push_back(*like);
  if (positional.size() != 2 || !IsSettingsPath(positional[1]))
    return UsageError(kName, "an elevation model and a scene's settings file expected");
  // What cannot be written is the model's file of the scene.
  StderrMessenger messenger(positional[1], StripExtension(positional[1]) + ".dem");
  TerminalProgress bar;
  Progress progress(&bar);
  return importer::ImportDem(positional[0], positional[1], args.Has("replace"), messenger,
                             &progress)
             ? kExitOk
             : kExitFailure;
}

Registrar reg("import", kImportUsage, kImportSummary, RunImport);
Registrar regDem("import-dem", kImportDemUsage, kImportDemSummary, RunImportDem);

}  // namespace
}  // namespace lumora::cli
