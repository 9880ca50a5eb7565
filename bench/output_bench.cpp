// Speed of the image writers on the exported A4 page (1000 x 1414 pixels).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "core/output/jpeg_encoder.h"
#include "core/output/tiff_writer.h"
#include "core/support/messenger.h"

namespace {

using namespace lumora;

// A page-like picture: smooth colour with fine brightness detail and noise.
Dib Page() {
  Dib d;
  d.Create(1000, 1414);
  std::mt19937 gen(3);
  for (int y = 0; y < d.height; ++y) {
    uint8_t* row = d.TopRow(y);
    for (int x = 0; x < d.width; ++x) {
      const int detail = static_cast<int>(gen() % 41) - 20 + ((x / 9 + y / 7) % 2 ? 25 : -25);
      const int rgb[3] = {x * 180 / 1000 + 40, y * 180 / 1414 + 40, 120};
      for (int c = 0; c < 3; ++c)
        row[x * 3 + c] = static_cast<uint8_t>(std::clamp(rgb[2 - c] + detail, 0, 255));
    }
  }
  return d;
}

std::string TempPath(const char* ext) {
  return "/tmp/lumora-bench-" + std::to_string(getpid()) + ext;
}

// Whole encoding in memory; the argument is the slider position (ratio x 100).
void BM_JpegEncodePage(benchmark::State& state) {
  const Dib page = Page();
  const BitmapHeader header = HeaderOf(page, kPageXPelsPerMeter, kPageYPelsPerMeter);
  RecordingMessenger m;
  CJpegEncoder enc(m);
  enc.ReadData(page.bits, &header, 0);
  std::string out;
  for (auto _ : state) {
    enc.Encode(JpegRatioFromSlider(static_cast<int>(state.range(0))), out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(out.size());
}
BENCHMARK(BM_JpegEncodePage)->Arg(100)->Arg(80)->Arg(0)->Unit(benchmark::kMillisecond);

// Encoding and writing the file, as the export does.
void BM_JpegSavePage(benchmark::State& state) {
  const Dib page = Page();
  const BitmapHeader header = HeaderOf(page, kPageXPelsPerMeter, kPageYPelsPerMeter);
  RecordingMessenger m;
  CJpegEncoder enc(m);
  enc.ReadData(page.bits, &header, 0);
  const std::string path = TempPath(".jpg");
  for (auto _ : state) enc.SaveJpeg(path, 1.0f);
  std::remove(path.c_str());
}
BENCHMARK(BM_JpegSavePage)->Unit(benchmark::kMillisecond);

void BM_TiffEncodePage(benchmark::State& state) {
  const Dib page = Page();
  const BitmapHeader header = HeaderOf(page, kPageXPelsPerMeter, kPageYPelsPerMeter);
  RecordingMessenger m;
  CTiffWriter w(m);
  w.ReadData(page.bits, &header, 0);
  std::string out;
  for (auto _ : state) {
    w.Encode(out);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_TiffEncodePage)->Unit(benchmark::kMillisecond);

void BM_TiffSavePage(benchmark::State& state) {
  const Dib page = Page();
  const BitmapHeader header = HeaderOf(page, kPageXPelsPerMeter, kPageYPelsPerMeter);
  RecordingMessenger m;
  CTiffWriter w(m);
  w.ReadData(page.bits, &header, 0);
  const std::string path = TempPath(".tif");
  for (auto _ : state) w.SaveTiff(path);
  std::remove(path.c_str());
}
BENCHMARK(BM_TiffSavePage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
