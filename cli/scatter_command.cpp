// lumora-cli scatter: the scatter plot of two bands, as the saved page
// picture or as the list of its non-zero counts.
#include <cstdio>

#include "cli/command.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/output_guard.h"
#include "core/imagefile/settings_file.h"
#include "core/output/image_file_writer.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/windows/scatter.h"
#if LUMORA_PAINT
#include "cli/offscreen_gui.h"
#include "paint/map_page_painter.h"
#include "paint/scatter_page_painter.h"
#endif

namespace lumora::cli {
namespace {

constexpr const char* kName = "scatter";

#if LUMORA_PAINT
// A band as the band list shows it, as the program's combo boxes do.
std::string BandCaption(const std::string& settingsPath, int band) {
  for (const BandItem& item : ListBands(settingsPath, true, 7))
    if (item.number == band) return item.text;
  return Format("%02d : ", band);
}
#endif

// The saved page: with its title and captions where Qt can draw them.
bool RenderPage(const std::string& path, int x, int y, const ScatterCounts& cells, Dib& page) {
#if LUMORA_PAINT
  OffscreenGui gui;
  const paint::ScatterTexts texts{ScatterTitle(path), BandCaption(path, x), BandCaption(path, y)};
  page = paint::DibOf(paint::RenderScatterExportPage(cells, texts));
  return !page.Empty();
#else
  (void)path, (void)x, (void)y;
  return RenderScatterPage(cells, page);
#endif
}

int RunScatter(const std::vector<std::string>& argv) {
  Args args(argv, {"counts"});
  if (!args.ok()) return UsageError(kName, args.error());
  if (args.positional().size() != 1 || !args.Unknown({"x", "y", "o", "counts"}).empty())
    return UsageError(kName, "one settings file, --x, --y and -o or --counts expected");
  const int x = IntOption(args, "x").value_or(0);
  const int y = IntOption(args, "y").value_or(0);
  if (x < 1 || x > 255 || y < 1 || y > 255)
    return UsageError(kName, "--x and --y take band numbers 1..255");
  const bool counts = args.Has("counts");
  const auto out = args.Get("o");
  if (counts == out.has_value()) return UsageError(kName, "give either -o OUT or --counts");
  if (out && ImageFileKindOf(*out) == ImageFileKind::kNone)
    return UsageError(kName, "the output must end in .jpg or .tif");

  const std::string& path = args.positional()[0];
  StderrMessenger messenger(path, out.value_or(""));
  if (out && !OutputSparesSet(*out, path, messenger)) return kExitFailure;
  ImageSettings settings;
  if (!ReadSettings(path, settings, messenger) || !CheckImageSize(settings, messenger))
    return kExitFailure;
  // Only sampled rows are read; a band too short would pass unnoticed.
  for (const int band : {x, y})
    if (!OpenBand(StripExtension(path), kSample8, band, settings.pixels, settings.lines, messenger))
      return kExitFailure;
  ScatterCounts cells;
  const AreaRect whole{0, settings.lines, 0, settings.pixels};
  if (!ComputeScatter(path, x, y, settings.pixels, whole, cells, messenger)) return kExitFailure;
  if (counts) {
    std::string text;
    for (int i = 0; i < kScatterCells; ++i)
      if (cells[i]) text += Format("%d %d %d\n", i / 256, i % 256, cells[i]);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return kExitOk;
  }
  Dib page;
  if (!RenderPage(path, x, y, cells, page)) {
    messenger.ShowMessage(kMsgNoMemory);
    return kExitFailure;
  }
  CImageFileWriter writer(messenger);
  return writer.SaveImageFile(*out, page, 1.0f, kPageXPelsPerMeter, kPageYPelsPerMeter)
             ? kExitOk
             : kExitFailure;
}

Registrar reg(kName, "scatter IMAGE.inf --x N --y N (-o OUT.jpg|OUT.tif | --counts)",
              "Draws the scatter plot of two bands, or prints its counts.", RunScatter);

}  // namespace
}  // namespace lumora::cli
