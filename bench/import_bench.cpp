// Speed of the import of a 7000 x 7000 Landsat-like product (seven 16-bit
// bands and its MTL file, written in the setup) into 8-bit and 16-bit file sets.
#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "importer/scene_import.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSide = 7000;

const fs::path& ProductFolder() {
  static const fs::path folder = fs::temp_directory_path() / "lumora-import-bench";
  return folder;
}

// Writes the product once per run: a gentle pattern per band with some fill.
std::string WriteProduct() {
  const fs::path folder = ProductFolder();
  fs::remove_all(folder);
  fs::create_directories(folder);
  GDALAllRegister();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  OGRSpatialReference srs;
  srs.importFromEPSG(32654);
  const std::string id = "LC09_L2SP_107035_20240501_20240502_02_T1";
  std::string mtl = "GROUP = PRODUCT_CONTENTS\n";
  std::vector<uint16_t> data(static_cast<size_t>(kSide) * kSide);
  for (int b : {2, 3, 4, 5, 6, 7, 10}) {
    const std::string name = id + (b == 10 ? "_ST_B10.TIF" : "_SR_B" + std::to_string(b) + ".TIF");
    mtl += (b == 10 ? "FILE_NAME_BAND_ST_B10" : "FILE_NAME_BAND_" + std::to_string(b)) + " = \"" +
           name + "\"\n";
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x)
        data[static_cast<size_t>(y) * kSide + x] =
            x < 300 ? 0
                    : static_cast<uint16_t>(7000 + b * 500 + (x * 7 + y * 3 + b * x * y) % 9000);
    GDALDataset* ds = driver->Create((folder / name).c_str(), kSide, kSide, 1, GDT_UInt16, nullptr);
    double t[6] = {300000, 30, 0, 4100000, 0, -30};
    ds->SetGeoTransform(t);
    ds->SetSpatialRef(&srs);
    if (ds->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, kSide, kSide, data.data(), kSide, kSide,
                                       GDT_UInt16, 0, 0) != CE_None)
      return {};
    GDALClose(ds);
  }
  mtl += "END_GROUP = PRODUCT_CONTENTS\nSPACECRAFT_ID = \"LANDSAT_9\"\nEND\n";
  const fs::path path = folder / (id + "_MTL.txt");
  std::ofstream(path) << mtl;
  return path.string();
}

// A terminal bar as lumora-cli draws it, counted instead of printed.
class CountingSink : public lumora::ProgressSink {
 public:
  void Open(const std::string&) override {}
  void Paint(float, const std::string&) override { ++paints; }
  void Close() override {}
  int paints = 0;
};

void BM_Import7000x7000SevenBands(benchmark::State& state) {
  static const std::string mtl = WriteProduct();
  if (mtl.empty()) {
    state.SkipWithError("the product could not be written");
    return;
  }
  lumora::importer::ImportOptions options;
  options.keep16bit = state.range(0) != 0;
  const fs::path out = ProductFolder() / "out/scene.inf";
  for (auto _ : state) {
    lumora::RecordingMessenger messenger;
    CountingSink sink;
    lumora::Progress progress(&sink);
    if (!lumora::importer::ImportScene({mtl}, out.string(), options, messenger, &progress)) {
      state.SkipWithError("the import failed");
      break;
    }
    state.counters["paints"] = sink.paints;
  }
  state.SetLabel(options.keep16bit ? "16-bit" : "8-bit stretched");
  state.SetItemsProcessed(state.iterations() * kSide * kSide * 7);
}
BENCHMARK(BM_Import7000x7000SevenBands)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(2)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
