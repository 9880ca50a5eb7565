#include "core/analysis/change_map.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/analysis/band_math.h"
#include "core/analysis/land_cover.h"
#include "core/analysis/vegetation_index.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/support/allocation.h"
#include "core/support/band_expression.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/line_reader.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/view/rainbow.h"

namespace lumora {

namespace {

constexpr int kChunk = 1 << 14;
constexpr std::string_view kCountsPrefix = "change: ";

const char* Title() { return ShownText("変化の地図"); }

// The formula an image's side is computed by, or "" with why.
std::string FormulaFor(const ChangeParams& p, int sensor, const std::array<uint8_t, 256>& types,
                       std::string& why) {
  if (p.index == kChangeBand) {
    if (p.band < 1 || p.band > 255 || types[static_cast<size_t>(p.band)] == 0) {
      why = Format(ShownText("バンド%dがありません．"), p.band);
      return {};
    }
    return Format("B%d", p.band);
  }
  static constexpr int kPresets[] = {kMathNdvi, kMathNdwi, kMathNdbi, kMathNdsi};
  if (p.index < 0 || p.index >= kChangeBand) {
    why = ShownText("比べるものが選ばれていません．");
    return {};
  }
  std::string formula = MathPresetFormula(kPresets[p.index], sensor, types, &why);
  if (formula.empty() && why.empty()) why = ShownText("この画像ではこの指数を計算できません．");
  return formula;
}

// One image: its formula, band files and the samples of a chunk.
struct Side {
  std::string base;
  std::array<uint8_t, 256> types{};
  BandExpression expression;
  std::vector<FilePtr> files;
  std::vector<uint8_t> raw;
  std::vector<double> values;

  bool Open(const ChangeParams& params, int sensor, int64_t width, int64_t height,
            Messenger& messenger) {
    types = ScanBandTypes(base);
    std::string why;
    const std::string formula = FormulaFor(params, sensor, types, why);
    ExpressionError e;
    if (formula.empty() || !expression.Compile(formula, types, e)) {
      messenger.ShowText(Title(), formula.empty() ? why : ExpressionErrorText(e));
      return false;
    }
    for (const int n : expression.Bands()) {
      files.push_back(OpenBand(base, types[static_cast<size_t>(n)], n, width, height, messenger));
      if (!files.back()) return false;
    }
    return AllocateOrReport(messenger, [&] {
      raw.resize(size_t{4} * kChunk);
      values.resize(kChunk);
      expression.Reserve(kChunk);
    });
  }

  // The chunk's samples into the formula's inputs and its values; false when
  // a band file ended early.
  bool Read(int64_t first, size_t count) {
    const std::vector<int>& bands = expression.Bands();
    for (size_t b = 0; b < bands.size(); ++b) {
      const int type = types[static_cast<size_t>(bands[b])];
      const auto bytes = static_cast<size_t>(SampleBytes(type));
      if (!ReadAt(files[b].get(), raw.data(), count * bytes, first * static_cast<int64_t>(bytes)))
        return false;
      MathSamples(raw.data(), type, count, expression.Input(b));
    }
    expression.Evaluate(values.data(), static_cast<int>(count));
    return true;
  }

  // Marks (sets to 1) the chunk's pixels outside the picture: every band 0.
  void MarkOutside(uint8_t* gone, size_t count) {
    zeros.assign(count, 1);
    for (size_t b = 0; b < expression.Bands().size(); ++b) {
      const double* v = expression.Input(b);
      for (size_t i = 0; i < count; ++i) zeros[i] &= v[i] == 0.0;
    }
    for (size_t i = 0; i < count; ++i) gone[i] |= zeros[i];
  }
  std::vector<uint8_t> zeros;
};

std::string FormatCounts(const ChangeCounts& c) {
  return std::string(kCountsPrefix) + Format("threshold %.9g loss %" PRId64 " gain %" PRId64
                                             " same %" PRId64 " outside %" PRId64,
                                             c.threshold, c.loss, c.gain, c.same, c.noData);
}

}  // namespace

const char* ChangeIndexName(int index) {
  static const char* const kNames[] = {"ndvi", "ndwi", "ndbi", "ndsi", "band"};
  return index >= 0 && index < kChangeIndexCount ? kNames[index] : "";
}

double DefaultChangeThreshold(int index) { return index == kChangeBand ? 10.0 : 0.1; }

bool ChangeComparable(const ImageSettings& a, const ImageSettings& b, std::string& why) {
  if (!SameGrid(a, b)) {
    why = ShownText(
        "2つの画像は同じ場所の同じ大きさのマス目になっていないので，比べられません．"
        "あとの画像を「開いている画像のマス目に合わせて」取り込んでください．");
    return false;
  }
  const int32_t first = DateNumber(a.date), second = DateNumber(b.date);
  if (first == 0 || second == 0) {
    why = ShownText("撮影した日がわからない画像があるので，どちらが先か決められません．");
    return false;
  }
  if (first >= second) {
    why = ShownText(
        "はじめの画像のほうが新しい（または同じ日）です．古いほうの画像で始めてください．");
    return false;
  }
  return true;
}

std::string FormatChangeRangeFile(float largest, float smallest, const std::string& title,
                                  const ChangeCounts& counts) {
  return std::string(kMathRangeHeader) + "\n" +
         Format("%lf,%lf\n", static_cast<double>(largest), static_cast<double>(smallest)) + title +
         "\n" + std::string(kChangeRangeLine) + "\n" + FormatCounts(counts) + "\n";
}

bool ParseChangeCounts(std::string_view text, ChangeCounts& counts) {
  if (RangeColours(text) != DivergingColours::kRedWhiteGreen) return false;
  StringLineReader reader(text, 4096);
  std::string line;
  for (int n = 0; n < 5; ++n)
    if (!reader.Next(line)) return false;
  ChangeCounts c;
  char rest = 0;
  if (!StartsWith(line, kCountsPrefix) ||
      std::sscanf(line.c_str() + kCountsPrefix.size(),
                  "threshold %lf loss %" SCNd64 " gain %" SCNd64 " same %" SCNd64
                  " outside %" SCNd64 "%c",
                  &c.threshold, &c.loss, &c.gain, &c.same, &c.noData, &rest) < 5 ||
      !(c.threshold >= 0) || c.loss < 0 || c.gain < 0 || c.same < 0 || c.noData < 0)
    return false;
  counts = c;
  return true;
}

std::string ChangeAreaText(const ChangeCounts& c, double km) {
  const auto area = [km](int64_t pixels) {
    const std::string count = std::to_string(pixels);
    if (!(km > 0)) return Format(ShownText("%s画素"), count.c_str());
    const double km2 = static_cast<double>(pixels) * km * km;
    return Format(ShownText("%s画素，%.1f ha（%.2f km²）"), count.c_str(), km2 * 100.0, km2);
  };
  return ShownText("減った所：") + area(c.loss) + "\n" + ShownText("増えた所：") + area(c.gain) +
         "\n" + ShownText("変わらない所：") + area(c.same);
}

bool RunChangeMap(const StepSource& source, const std::string& targetBase,
                  const ChangeParams& params, StepResult& result, Messenger& messenger,
                  Progress& progress) {
  ImageSettings later;
  if (!ReadSettings(params.laterPath, later, messenger)) return false;
  std::string why;
  if (!ChangeComparable(source.settings, later, why)) {
    messenger.ShowText(Title(), why);
    return false;
  }
  if (!(params.threshold >= 0) || !std::isfinite(params.threshold)) {
    messenger.ShowText(Title(), ShownText("「変わらない」とみなす幅は0以上の数にしてください．"));
    return false;
  }
  const int width = source.settings.pixels;
  const int height = source.settings.lines;
  const auto pixelCount = CheckedMul(width, height);
  if (width <= 0 || height <= 0 || !pixelCount) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  const int64_t total = *pixelCount;
  Side earlierSide, laterSide;
  earlierSide.base = source.basePath;
  laterSide.base = StripExtension(params.laterPath);
  if (!earlierSide.Open(params, source.settings.sensor, width, height, messenger) ||
      !laterSide.Open(params, later.sensor, width, height, messenger))
    return false;

  if (!DeleteFiles(targetBase + ".*")) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  if (!CopyCompanions(source.basePath, targetBase, {".lev", ".dem"}, messenger)) return false;
  const std::string what =
      params.index == kChangeBand ? Format("B%d", params.band) : ChangeIndexName(params.index);
  const std::string title = what + " " + later.date + " - " + source.settings.date;
  if (!WriteBandDescription(targetBase, 1, ShownText("変化") + std::string(" ") + title)) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  BandWriter out;
  if (!out.Create(BandFilePath(targetBase, kSampleFloat, 1))) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  std::vector<float> floats;
  std::vector<uint8_t> codes, gone;
  if (!AllocateOrReport(messenger, [&] {
        floats.resize(kChunk);
        codes.resize(kChunk);
        gone.resize(kChunk);
      }))
    return false;

  ChangeCounts counts;
  counts.threshold = params.threshold;
  float largest = -INFINITY, smallest = INFINITY;
  progress.Create(std::max<int64_t>(1, total / kChunk / 100), "処理中");
  for (int64_t done = 0; done < total; done += kChunk) {
    const auto count = static_cast<size_t>(std::min<int64_t>(kChunk, total - done));
    if (!earlierSide.Read(done, count) || !laterSide.Read(done, count)) {
      out.Close(messenger);
      return progress.Fail(messenger, kMsgBandFileShort);
    }
    std::fill(gone.begin(), gone.begin() + static_cast<std::ptrdiff_t>(count), 0);
    earlierSide.MarkOutside(gone.data(), count);
    laterSide.MarkOutside(gone.data(), count);
    const double* a = earlierSide.values.data();
    const double* b = laterSide.values.data();
    for (size_t i = 0; i < count; ++i) floats[i] = MathStored(gone[i] ? NAN : b[i] - a[i]);
    // NaN fails every comparison: it counts as outside and moves no extreme.
    int64_t loss = 0, gain = 0, numbers = 0;
    for (size_t i = 0; i < count; ++i) {
      const float d = floats[i];
      const double change = d;
      numbers += d == d;
      loss += change < -params.threshold;
      gain += change > params.threshold;
      largest = d > largest ? d : largest;
      smallest = d < smallest ? d : smallest;
    }
    counts.loss += loss;
    counts.gain += gain;
    counts.same += numbers - loss - gain;
    counts.noData += static_cast<int64_t>(count) - numbers;
    if (!out.Write(floats.data(), count * sizeof(float))) break;
    progress.SetProgress(static_cast<float>(done) / static_cast<float>(total) * 0.8f);
  }
  if (!out.Close(messenger)) {
    progress.Close();
    return false;
  }
  if (!(largest >= smallest)) {
    progress.Close();
    messenger.ShowText(Title(), ShownText("2つの画像に共通して写っている所がありません．"));
    return false;
  }

  // The display band: white within the threshold, then ever redder or
  // greener over -m .. m.
  float lo = 0, hi = 0;
  MathDisplayRange(smallest, largest, true, lo, hi);
  FilePtr in = OpenBand(targetBase, kSampleFloat, 1, width, height, messenger);
  BandWriter display;
  if (!in || !display.Create(BandFilePath(targetBase, kSample8, 1))) {
    progress.Close();
    if (in) messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  for (int64_t done = 0; done < total; done += kChunk) {
    const auto count = static_cast<size_t>(std::min<int64_t>(kChunk, total - done));
    if (std::fread(floats.data(), sizeof(float), count, in.get()) != count)
      return progress.Fail(messenger, kMsgBandFileShort);
    MathBytes(floats.data(), codes.data(), count, lo, hi);
    for (size_t i = 0; i < count; ++i)
      codes[i] = std::fabs(static_cast<double>(floats[i])) <= params.threshold ? 128 : codes[i];
    if (!display.Write(codes.data(), count)) break;
    progress.SetProgress(0.8f + static_cast<float>(done) / static_cast<float>(total) * 0.2f);
  }
  progress.Close();
  if (!display.Close(messenger)) return false;
  return FinishIndexResult(targetBase, FormatChangeRangeFile(hi, lo, title, counts), width, height,
                           false, result, messenger);
}

StepBody MakeChangeStep(ChangeParams params) {
  return [params](const StepSource& source, const std::string& targetBase, StepResult& result,
                  Messenger& messenger, Progress& progress) {
    return RunChangeMap(source, targetBase, params, result, messenger, progress);
  };
}

}  // namespace lumora
