// Speed of the import into 8-bit and 16-bit file sets of two products written
// in the setup: a 7000 x 7000 Landsat-like one (seven 16-bit bands and its
// MTL file) and a 10980 x 10980 Sentinel-2-like one as ten GeoTIFF files,
// four at 10 m and six at 20 m. bench/import_vs_gdal.py runs the same imports
// as whole processes beside gdal_translate, for their peak memory;
// `bench_import --write-products FOLDER` writes the products for it.
#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "importer/scene_import.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLandsatSide = 7000;
constexpr int kSentinelSide = 10980;

// A single-band 16-bit GeoTIFF written a row at a time: a gentle pattern
// per band with a strip of fill (0) on the left.
bool WriteBand(const fs::path& path, int side, double cell, int b) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  GDALDataset* ds = driver->Create(path.c_str(), side, side, 1, GDT_UInt16, nullptr);
  if (!ds) return false;
  double t[6] = {300000, cell, 0, 4100000, 0, -cell};
  ds->SetGeoTransform(t);
  OGRSpatialReference srs;
  srs.importFromEPSG(32654);
  ds->SetSpatialRef(&srs);
  std::vector<uint16_t> row(static_cast<size_t>(side));
  bool ok = true;
  for (int y = 0; y < side && ok; ++y) {
    for (int x = 0; x < side; ++x)
      row[static_cast<size_t>(x)] =
          x < side / 20
              ? 0
              : static_cast<uint16_t>(7000 + b * 500 + (x * 7 + y * 3 + b * x * y) % 9000);
    ok = ds->GetRasterBand(1)->RasterIO(GF_Write, 0, y, side, 1, row.data(), side, 1, GDT_UInt16, 0,
                                        0) == CE_None;
  }
  GDALClose(ds);
  return ok;
}

// landsat/ with its MTL file, s2/ with B*.tif; returns the inputs of each.
bool WriteProducts(const fs::path& folder, std::vector<std::string>& landsat,
                   std::vector<std::string>& sentinel) {
  fs::remove_all(folder);
  fs::create_directories(folder / "landsat");
  fs::create_directories(folder / "s2");
  GDALAllRegister();
  const std::string id = "LC09_L2SP_107035_20240501_20240502_02_T1";
  std::string mtl = "GROUP = PRODUCT_CONTENTS\n";
  for (int b : {2, 3, 4, 5, 6, 7, 10}) {
    const std::string name = id + (b == 10 ? "_ST_B10.TIF" : "_SR_B" + std::to_string(b) + ".TIF");
    mtl += (b == 10 ? "FILE_NAME_BAND_ST_B10" : "FILE_NAME_BAND_" + std::to_string(b)) + " = \"" +
           name + "\"\n";
    if (!WriteBand(folder / "landsat" / name, kLandsatSide, 30, b)) return false;
  }
  mtl += "END_GROUP = PRODUCT_CONTENTS\nSPACECRAFT_ID = \"LANDSAT_9\"\nEND\n";
  const fs::path mtlPath = folder / "landsat" / (id + "_MTL.txt");
  std::ofstream(mtlPath) << mtl;
  landsat = {mtlPath.string()};
  sentinel.clear();
  for (const char* band : {"B02", "B03", "B04", "B08", "B05", "B06", "B07", "B8A", "B11", "B12"}) {
    const bool fine = sentinel.size() < 4;
    const fs::path path = folder / "s2" / (std::string(band) + ".tif");
    if (!WriteBand(path, fine ? kSentinelSide : kSentinelSide / 2, fine ? 10 : 20,
                   static_cast<int>(sentinel.size()) + 2))
      return false;
    sentinel.push_back(path.string());
  }
  return true;
}

const fs::path& ProductFolder() {
  static const fs::path folder = fs::temp_directory_path() / "lumora-import-bench";
  return folder;
}

struct Products {
  bool ok = false;
  std::vector<std::string> landsat, sentinel;
};

const Products& WrittenProducts() {
  static const Products products = [] {
    Products p;
    p.ok = WriteProducts(ProductFolder(), p.landsat, p.sentinel);
    return p;
  }();
  return products;
}

// A terminal bar as lumora-cli draws it, counted instead of printed.
class CountingSink : public lumora::ProgressSink {
 public:
  void Open(const std::string&) override {}
  void Paint(float, const std::string&) override { ++paints; }
  void Close() override {}
  int paints = 0;
};

void RunImport(benchmark::State& state, const std::vector<std::string>& inputs, int64_t values) {
  if (!WrittenProducts().ok) {
    state.SkipWithError("the products could not be written");
    return;
  }
  lumora::importer::ImportOptions options;
  options.keep16bit = state.range(0) != 0;
  const fs::path out = ProductFolder() / "out/scene.inf";
  for (auto _ : state) {
    lumora::RecordingMessenger messenger;
    CountingSink sink;
    lumora::Progress progress(&sink);
    if (!lumora::importer::ImportScene(inputs, out.string(), options, messenger, &progress)) {
      state.SkipWithError("the import failed");
      break;
    }
    state.counters["paints"] = sink.paints;
  }
  fs::remove_all(out.parent_path());
  state.SetLabel(options.keep16bit ? "16-bit" : "8-bit stretched");
  state.SetItemsProcessed(state.iterations() * values);
}

void BM_Import7000x7000SevenBands(benchmark::State& state) {
  RunImport(state, WrittenProducts().landsat, int64_t{kLandsatSide} * kLandsatSide * 7);
}
BENCHMARK(BM_Import7000x7000SevenBands)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(2)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

void BM_Import10980x10980TenBands(benchmark::State& state) {
  RunImport(state, WrittenProducts().sentinel, int64_t{kSentinelSide} * kSentinelSide * 10);
}
BENCHMARK(BM_Import10980x10980TenBands)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-products") == 0) {
    std::vector<std::string> landsat, sentinel;
    if (!WriteProducts(argv[2], landsat, sentinel)) {
      std::fprintf(stderr, "the products could not be written in %s\n", argv[2]);
      return 1;
    }
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(ProductFolder());
  return 0;
}
