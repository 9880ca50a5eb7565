// lumora-cli spectrum and stats: a pixel's value in every band, and the
// statistics of a rectangle or polygon, as CSV (or the spectrum as a chart).
#include <cstdio>

#include "cli/command.h"
#include "core/imagefile/output_guard.h"
#include "core/imagefile/settings_file.h"
#include "core/output/image_file_writer.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/windows/region_stats.h"
#include "core/windows/spectrum.h"
#if LUMORA_PAINT
#include "cli/offscreen_gui.h"
#include "paint/map_page_painter.h"
#include "paint/spectrum_painter.h"
#endif

namespace lumora::cli {
namespace {

bool EndsWith(const std::string& s, const char* ext) {
  const std::string e = ext;
  return s.size() > e.size() && EqualsNoCase(s.substr(s.size() - e.size()), e);
}

// CSV to stdout, or to OUT through a temporary beside it.
int WriteText(const std::optional<std::string>& out, const std::string& inf,
              const std::string& text, Messenger& messenger) {
  if (!out) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return kExitOk;
  }
  if (!OutputSparesSet(*out, inf, messenger)) return kExitFailure;
  if (!WriteFileAtomically(*out, text)) {
    messenger.ShowMessage(kMsgCreateFailed);
    return kExitFailure;
  }
  return kExitOk;
}

constexpr const char* kSpectrum = "spectrum";

int RunSpectrum(const std::vector<std::string>& argv) {
  // --at may be given again and again; the other options once.
  std::vector<std::string> rest, at;
  for (size_t i = 0; i < argv.size(); ++i) {
    if (argv[i] == "--at" && i + 1 < argv.size())
      at.push_back(argv[++i]);
    else
      rest.push_back(argv[i]);
  }
  Args args(rest, {});
  if (!args.ok()) return UsageError(kSpectrum, args.error());
  if (args.positional().size() != 1 || !args.Unknown({"o"}).empty() || at.empty())
    return UsageError(kSpectrum, "one settings file and at least one --at X,Y expected");
  std::vector<std::pair<int, int>> points;
  for (const std::string& a : at) {
    const auto xy = ParseIntList(a, 2);
    if (!xy) return UsageError(kSpectrum, "--at takes X,Y (0-based pixels)");
    points.emplace_back((*xy)[0], (*xy)[1]);
  }
  const auto out = args.Get("o");
  const bool chart =
      out && (EndsWith(*out, ".png") || ImageFileKindOf(*out) != ImageFileKind::kNone);
  if (out && !chart && !EndsWith(*out, ".csv"))
    return UsageError(kSpectrum, "the output must end in .csv, .png, .jpg or .tif");
#if !LUMORA_PAINT
  if (chart) return UsageError(kSpectrum, "this build draws no charts; write .csv");
#endif

  const std::string& path = args.positional()[0];
  StderrMessenger messenger(path, out.value_or(""));
  SpectrumSampler sampler;
  if (!sampler.Open(path, messenger)) return kExitFailure;
  std::vector<std::string> titles;
  std::vector<std::vector<double>> spectra(points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    const auto [x, y] = points[i];
    if (!sampler.Sample(x, y, spectra[i], messenger)) return kExitFailure;
    titles.push_back(Format("x=%d y=%d", x, y));
  }
  if (!chart) return WriteText(out, path, SpectrumCsv(sampler.Bands(), titles, spectra), messenger);
#if LUMORA_PAINT
  if (!OutputSparesSet(*out, path, messenger)) return kExitFailure;
  OffscreenGui gui;
  std::vector<paint::SpectrumSeries> series;
  for (size_t i = 0; i < points.size(); ++i)
    series.push_back({titles[i], paint::PinColour(static_cast<int>(i % 6)), spectra[i], {}});
  const QImage picture = paint::RenderSpectrumPicture(sampler.Bands(), series);
  if (EndsWith(*out, ".png")) {
    const std::string png = paint::EncodePicture(picture, "PNG");
    if (png.empty()) {
      messenger.ShowMessage(kMsgNoMemory);
      return kExitFailure;
    }
    return WriteText(out, path, png, messenger);
  }
  CImageFileWriter writer(messenger);
  return writer.SaveImageFile(*out, paint::DibOf(picture), 1.0f, kScreenPelsPerMeter,
                              kScreenPelsPerMeter)
             ? kExitOk
             : kExitFailure;
#else
  return kExitFailure;
#endif
}

Registrar spectrum(
    kSpectrum, "spectrum IMAGE.inf --at X,Y [--at X,Y ...] [-o OUT.csv|OUT.png|OUT.jpg|OUT.tif]",
    "Writes the value of pixels in every band (0-based X,Y), as CSV or as a chart.", RunSpectrum);

constexpr const char* kStats = "stats";

int RunStats(const std::vector<std::string>& argv) {
  Args args(argv, {});
  if (!args.ok()) return UsageError(kStats, args.error());
  if (args.positional().size() != 1 || !args.Unknown({"area", "polygon", "o"}).empty() ||
      args.Has("area") == args.Has("polygon"))
    return UsageError(kStats, "one settings file and --area or --polygon expected");
  Region region;
  if (args.Has("area")) {
    const auto a = ParseIntList(*args.Get("area"), 4);
    if (!a || (*a)[2] < 1 || (*a)[3] < 1)
      return UsageError(kStats, "--area takes LEFT,TOP,WIDTH,HEIGHT");
    region = RectangleRegion((*a)[0], (*a)[1], (*a)[2], (*a)[3]);
  } else {
    const std::string text = *args.Get("polygon");
    const size_t numbers = static_cast<size_t>(std::count(text.begin(), text.end(), ',')) + 1;
    const auto xy = numbers % 2 == 0 ? ParseDoubleList(text, numbers) : std::nullopt;
    if (!xy) return UsageError(kStats, "--polygon takes X1,Y1,X2,Y2,... (0-based pixels)");
    for (size_t i = 0; i < xy->size(); i += 2) region.corners.push_back({(*xy)[i], (*xy)[i + 1]});
  }
  const auto out = args.Get("o");
  if (out && !EndsWith(*out, ".csv")) return UsageError(kStats, "the output must end in .csv");

  const std::string& path = args.positional()[0];
  StderrMessenger messenger(path, out.value_or(""));
  ImageSettings settings;
  RegionStats stats;
  if (!ReadSettings(path, settings, messenger) ||
      !ComputeRegionStats(path, ListSpectrumBands(path), region, stats, messenger))
    return kExitFailure;
  const GroundMeasure measure =
      MeasureRegion(stats.pixels, stats.perimeterPixels, settings.lengthPerPixel);
  return WriteText(out, path, RegionCsv(stats, measure), messenger);
}

Registrar stats(kStats,
                "stats IMAGE.inf (--area LEFT,TOP,WIDTH,HEIGHT | --polygon X1,Y1,X2,Y2,...) "
                "[-o OUT.csv]",
                "Writes the statistics, area and perimeter of a region of every band as CSV.",
                RunStats);

}  // namespace
}  // namespace lumora::cli
