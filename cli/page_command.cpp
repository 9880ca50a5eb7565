// lumora-cli page: the annotated A4 map page as the program shows, prints
// and exports it, written as a 1000 x 1414 JPEG or TIFF or as an A4 PDF.
// Drawn with Qt's painter on the offscreen platform, so no display is needed.
#include <QPageLayout>
#include <QPainter>
#include <map>

#include "cli/command.h"
#include "cli/composition.h"
#include "cli/offscreen_gui.h"
#include "core/imagefile/output_guard.h"
#include "core/output/image_file_writer.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "paint/legend_page_painter.h"
#include "paint/map_page_painter.h"
#include "paint/pdf_file.h"

namespace lumora::cli {
namespace {

constexpr const char* kName = "page";

// A named choice of an option: the value and what it stands for.
std::optional<int> Choose(const Args& args, const std::string& option,
                          const std::map<std::string, int>& choices, int fallback) {
  const auto text = args.Get(option);
  if (!text) return fallback;
  const auto it = choices.find(*text);
  if (it == choices.end()) return std::nullopt;
  return it->second;
}

// Line breaks typed as "\n" or given as real newlines become the title's "\r\n".
std::string TitleText(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else if (text[i] == '\n') {
      if (out.empty() || out.back() != '\r') out += '\r';
      out += '\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

bool EndsWithPdf(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot != std::string::npos && ToUpperAscii(path.substr(dot + 1)) == "PDF";
}

// Fills the annotation choices; empty when sound, else the usage error.
std::string ParseAnnotations(const Args& args, AnnotationSettings& a) {
  if (const auto title = args.Get("title")) {
    a.showTitle = true;
    a.titleText = TitleText(*title);
  }
  a.showGrid = args.Has("grid");
  a.showScale = args.Has("scale");
  a.showNorth = args.Has("north");
  a.showLegend = args.Has("legend");
  const auto minutes = Choose(args, "grid-step",
                              {{"60", 0}, {"30", 1}, {"15", 2}, {"10", 3}, {"5", 4}, {"1", 5}}, 0);
  if (!minutes) return "--grid-step takes 60, 30, 15, 10, 5 or 1 (minutes)";
  a.gridStep = kGridSteps[*minutes].step;
  const auto km = Choose(args, "scale-km", {{"5", 5}, {"10", 10}, {"15", 15}, {"20", 20}}, 5);
  if (!km) return "--scale-km takes 5, 10, 15 or 20";
  a.scaleKm = *km;
  const auto scalePos =
      Choose(args, "scale-position", {{"right", 0}, {"centre", 1}, {"left", 2}}, 0);
  if (!scalePos) return "--scale-position takes right, centre or left";
  a.scalePosition = *scalePos;
  const std::map<std::string, int> corners = {
      {"top-right", 0}, {"bottom-right", 1}, {"bottom-left", 2}, {"top-left", 3}};
  const auto northPos = Choose(args, "north-position", corners, 0);
  if (!northPos) return "--north-position takes top-right, bottom-right, bottom-left or top-left";
  a.northPosition = *northPos;
  const auto size = Choose(args, "north-size", {{"small", 0}, {"medium", 1}, {"large", 2}}, 0);
  if (!size) return "--north-size takes small, medium or large";
  a.northSize = *size;
  const auto legendPos = Choose(args, "legend-position", corners, 0);
  if (!legendPos) return "--legend-position takes top-right, bottom-right, bottom-left or top-left";
  a.legendPosition = *legendPos;
  return {};
}

bool WritePdf(const std::string& path, const paint::MapPage& page, Messenger& messenger) {
  return paint::WritePdfFile(
      path, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()), 1200,
      QStringLiteral("Lumora Zud's イメージ"),
      [&](QPainter& p, int width, int height) {
        paint::PaintPageOnDevice(p, width, height, page, true);
      },
      messenger);
}

int RunPage(const std::vector<std::string>& argv) {
  std::vector<std::string> flags = CompositionFlags();
  for (const char* f : {"grid", "scale", "north", "legend", "legend-areas"}) flags.emplace_back(f);
  Args args(argv, flags);
  if (!args.ok()) return UsageError(kName, args.error());
  const auto known = WithComposition({"o", "quality", "title", "grid", "grid-step", "scale",
                                      "scale-km", "scale-position", "north", "north-position",
                                      "north-size", "legend", "legend-position", "legend-areas"});
  if (args.positional().size() != 1 || !args.Unknown(known).empty())
    return UsageError(kName, "one settings file and the options below expected");
  const auto out = args.Get("o");
  if (!out || out->empty()) return UsageError(kName, "-o OUT.jpg, OUT.tif or OUT.pdf is required");
  const bool pdf = EndsWithPdf(*out);
  if (!pdf && ImageFileKindOf(*out) == ImageFileKind::kNone)
    return UsageError(kName, "the output must end in .jpg, .tif or .pdf");
  CompositionChoice choice;
  if (const std::string why = ParseComposition(args, choice); !why.empty())
    return UsageError(kName, why);
  AnnotationSettings annotations;
  if (const std::string why = ParseAnnotations(args, annotations); !why.empty())
    return UsageError(kName, why);

  OffscreenGui gui;

  StderrMessenger messenger(args.positional()[0], *out);
  if (!OutputSparesSet(*out, args.positional()[0], messenger)) return kExitFailure;
  TerminalProgress bar;
  Progress progress(&bar);
  ImageSession session;
  if (const int status =
          OpenComposed(kName, args.positional()[0], choice, session, messenger, progress);
      status != kExitOk)
    return status;
  progress.Close();
  if ((annotations.showGrid || annotations.showScale) &&
      !HasMapReference(session.Settings(), session.State().m_nFileState)) {
    messenger.ShowText(kName,
                       "--grid and --scale need LengthPerPixel, LeftTop_Lon and LeftTop_Lat, "
                       "and a picture seen from straight above");
    return kExitFailure;
  }
  if (annotations.showLegend && session.Legend() == LegendKind::kNone) {
    messenger.ShowText(kName, "this display has no legend");
    return kExitFailure;
  }
  const bool legendAreas = args.Has("legend-areas");
  if (legendAreas && (!annotations.showLegend || session.Legend() != LegendKind::kClass)) {
    messenger.ShowText(kName, "--legend-areas goes with --legend on a classification");
    return kExitFailure;
  }
  const QImage north = paint::LoadNorthMark();
  if (north.isNull()) {
    messenger.ShowMessage(kMsgNorthMarkFailed);
    return kExitFailure;
  }
  paint::MapPage page = paint::MakeMapPage(
      paint::kDefaultDpi, paint::kDefaultDpi, session.Display(), session.State().m_nStep,
      session.Settings(), session.State().m_nFileState, annotations, north);
  page.legend = paint::LegendOf(session.Legend(), session.State(), messenger, legendAreas);
  if (pdf) return WritePdf(*out, page, messenger) ? kExitOk : kExitFailure;
  const Dib drawn = paint::DibOf(paint::RenderExportPage(page));
  if (drawn.Empty()) {
    messenger.ShowMessage(kMsgNoMemory);
    return kExitFailure;
  }
  CImageFileWriter writer(messenger, &bar);
  return writer.SaveImageFile(*out, drawn, static_cast<float>(choice.quality), kPageXPelsPerMeter,
                              kPageYPelsPerMeter)
             ? kExitOk
             : kExitFailure;
}

Registrar reg(kName,
              "page IMAGE.inf [composition options as compose] [--title TEXT] [--grid "
              "[--grid-step 60|30|15|10|5|1]] [--scale [--scale-km 5|10|15|20] "
              "[--scale-position right|centre|left]] [--north [--north-position CORNER] "
              "[--north-size small|medium|large]] [--legend [--legend-position CORNER] "
              "[--legend-areas]] "
              "[--quality RATIO] -o OUT.jpg|OUT.tif|OUT.pdf   (CORNER: top-right, "
              "bottom-right, bottom-left, top-left)",
              RunPage);

}  // namespace
}  // namespace lumora::cli
