#include "core/analysis/band_math.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <system_error>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Pixels evaluated per call: the parser's arrays stay in the cache.
constexpr int kChunk = 1 << 14;

// A sample as a double: a byte, an unsigned little-endian word, or a float
// whose first byte 0xFF marks "no data" (no value).
void Samples(const uint8_t* raw, int type, size_t count, double* out) {
  switch (type) {
    case kSample16:
      for (size_t i = 0; i < count; ++i) out[i] = raw[2 * i] | (raw[2 * i + 1] << 8);
      break;
    case kSampleFloat:
      for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = raw + 4 * i;
        uint32_t bits = p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        out[i] = p[0] == 0xFF ? std::nan("") : f;
      }
      break;
    default:
      for (size_t i = 0; i < count; ++i) out[i] = raw[i];
  }
}

// Stored values of count results; largest and smallest take the values that
// are numbers. Eight running extremes keep the loops free of a chain from one
// value to the next.
void StoreAll(const double* __restrict values, float* __restrict out, size_t count, float& largest,
              float& smallest) {
  for (size_t i = 0; i < count; ++i) out[i] = MathStored(values[i]);
  float hi[8], lo[8];
  for (int k = 0; k < 8; ++k) hi[k] = largest, lo[k] = smallest;
  size_t i = 0;
  for (; i + 8 <= count; i += 8)
    for (int k = 0; k < 8; ++k) {
      // NaN compares false: it moves neither.
      const float f = out[i + k];
      hi[k] = f > hi[k] ? f : hi[k];
      lo[k] = f < lo[k] ? f : lo[k];
    }
  for (; i < count; ++i) {
    hi[0] = out[i] > hi[0] ? out[i] : hi[0];
    lo[0] = out[i] < lo[0] ? out[i] : lo[0];
  }
  for (int k = 0; k < 8; ++k) {
    largest = hi[k] > largest ? hi[k] : largest;
    smallest = lo[k] < smallest ? lo[k] : smallest;
  }
}

const char* Title() { return ShownText("バンド計算"); }

// The bands a sensor's preset takes: green, red, near infrared, short-wave
// infrared (0: the sensor has none).
struct SensorBands {
  int green, red, nir, swir;
};
SensorBands BandsOf(int sensor) {
  if (sensor == kSensorAster) return {1, 2, 3, 4};
  if (sensor == kSensorTm) return {2, 3, 4, 5};
  return {1, 2, 4, 0};  // MSS: bands 4, 5 and 7 of the scanner
}

bool Compile(BandExpression& expression, const std::string& text,
             const std::array<uint8_t, 256>& types, Messenger* messenger, std::string& error) {
  ExpressionError e;
  if (expression.Compile(text, types, e)) return true;
  error = ExpressionErrorText(e);
  if (messenger) messenger->ShowText(Title(), error);
  return false;
}

}  // namespace

const char* MathPresetName(int preset) {
  static const char* const kNames[] = {"ndvi", "ndwi", "ndbi", "ndsi", "ratio", "mean"};
  return preset >= 0 && preset < kMathPresetCount ? kNames[preset] : "";
}

std::string MathPresetFormula(int preset, int sensor, const std::array<uint8_t, 256>& types,
                              std::string* why) {
  const SensorBands b = BandsOf(sensor);
  auto normalized = [](int x, int y) { return Format("(B%d-B%d)/(B%d+B%d)", x, y, x, y); };
  std::string formula;
  switch (preset) {
    case kMathNdvi: formula = normalized(b.nir, b.red); break;
    case kMathNdwi: formula = normalized(b.green, b.nir); break;
    case kMathNdbi:
    case kMathNdsi:
      if (b.swir == 0) {
        if (why) *why = ShownText("このセンサーには短波長赤外のバンドがありません．");
        return {};
      }
      formula = preset == kMathNdbi ? normalized(b.swir, b.nir) : normalized(b.green, b.swir);
      break;
    case kMathRatio: formula = Format("B%d/B%d", b.nir, b.red); break;
    case kMathMean: {
      // Every 8-bit band of the image, thermal ones too: the mean brightness.
      std::string sum;
      int count = 0;
      for (int n = 1; n <= 255; ++n)
        if (types[static_cast<size_t>(n)] == kSample8) {
          sum += (sum.empty() ? "B" : "+B") + std::to_string(n);
          ++count;
        }
      if (count == 0) {
        if (why) *why = ShownText("8ビットのバンドがありません．");
        return {};
      }
      formula = count == 1 ? sum : "(" + sum + ")/" + std::to_string(count);
      return formula;
    }
    default: return {};
  }
  BandExpression expression;
  ExpressionError e;
  if (BandExpression::Available() && !expression.Compile(formula, types, e)) {
    if (why) *why = ExpressionErrorText(e);
    return {};
  }
  return formula;
}

std::string FormatMathRangeFile(float largest, float smallest, const std::string& expression,
                                bool diverging) {
  std::string text =
      std::string(kMathRangeHeader) + "\n" +
      Format("%lf,%lf\n", static_cast<double>(largest), static_cast<double>(smallest)) +
      expression + "\n";
  if (diverging) text += std::string(kDivergingRangeLine) + "\n";
  return text;
}

void MathDisplayRange(float smallest, float largest, bool diverging, float& lo, float& hi) {
  lo = smallest;
  hi = largest;
  if (!diverging) return;
  hi = std::max({1.0f, std::fabs(smallest), std::fabs(largest)});
  lo = -hi;
}

std::string MathFormulaOfRangeFile(const std::string& text) {
  StringLineReader reader(text, 4096);
  std::string header, range, formula;
  if (!reader.Next(header) || !reader.Next(range) || !reader.Next(formula)) return {};
  while (!header.empty() && (header.back() == '\n' || header.back() == '\r')) header.pop_back();
  while (!formula.empty() && (formula.back() == '\n' || formula.back() == '\r')) formula.pop_back();
  return header == kMathRangeHeader ? formula : std::string();
}

std::string NoValueLabel() { return ShownText("黒：値なし"); }

namespace {

// Branch-free, so that it runs over many values at once. A NaN fails both
// comparisons and lands on 0 before it is converted; values are rounded half
// up, as lround rounds these non-negative ones.
void MapBytes(const float* __restrict values, uint8_t* __restrict out, size_t count, float smallest,
              float largest) {
  const double span = static_cast<double>(largest) - smallest;
  size_t i = 0;
#if defined(__SSE2__)
  // Eight at a time, the same double operations side by side: maxpd and
  // minpd return their second operand for a NaN, as the comparisons below do.
  const __m128d lo = _mm_set1_pd(smallest), width = _mm_set1_pd(span);
  const __m128d top = _mm_set1_pd(254.0), half = _mm_set1_pd(0.5), zero = _mm_setzero_pd();
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  const __m128 finite = _mm_set1_ps(FLT_MAX);
  const __m128i one = _mm_set1_epi32(1);
  const auto code = [&](__m128d v) {
    __m128d t = _mm_mul_pd(_mm_div_pd(_mm_sub_pd(v, lo), width), top);
    t = _mm_min_pd(_mm_max_pd(t, zero), top);
    return _mm_cvttpd_epi32(_mm_add_pd(t, half));
  };
  for (; i + 8 <= count; i += 8) {
    __m128i codes[2];
    for (int h = 0; h < 2; ++h) {
      const __m128 v = _mm_loadu_ps(values + i + 4 * h);
      const __m128i b = _mm_add_epi32(
          _mm_unpacklo_epi64(code(_mm_cvtps_pd(v)), code(_mm_cvtps_pd(_mm_movehl_ps(v, v)))), one);
      const __m128 shown =
          _mm_and_ps(_mm_cmpord_ps(v, v), _mm_cmple_ps(_mm_and_ps(v, magnitude), finite));
      codes[h] = _mm_and_si128(b, _mm_castps_si128(shown));
    }
    const __m128i words = _mm_packs_epi32(codes[0], codes[1]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(words, words));
  }
#endif
  for (; i < count; ++i) {
    const float v = values[i];
    double t = (static_cast<double>(v) - smallest) / span * 254.0;
    t = t > 0.0 ? t : 0.0;
    t = t < 254.0 ? t : 254.0;
    const int b = 1 + static_cast<int>(t + 0.5);
    out[i] = static_cast<uint8_t>(v == v && std::fabs(v) <= FLT_MAX ? b : 0);
  }
}

}  // namespace

void MathSamples(const uint8_t* raw, int type, size_t count, double* out) {
  Samples(raw, type, count, out);
}

void MathBytes(const float* values, uint8_t* out, size_t count, float smallest, float largest) {
  MapBytes(values, out, count, smallest, largest);
}

uint8_t MathByte(float value, float smallest, float largest) {
  uint8_t b = 0;
  MapBytes(&value, &b, 1, smallest, largest);
  return b;
}

namespace {

// One half of a result's pixels and what working it needs.
struct MathPart {
  int64_t begin = 0, end = 0;
  BandExpression expression;
  std::vector<uint8_t> raw;
  std::vector<double> values;
  std::vector<float> floats;
  float largest = -INFINITY, smallest = INFINITY;
  int failure = 0;  // the message id of the first failure
};

int Failure(const std::array<MathPart, 2>& parts) {
  return parts[0].failure ? parts[0].failure : parts[1].failure;
}

// Runs work(part, first pixel, count) over each part's pixels a chunk at a
// time until it returns a message id: the second part on a thread of its
// own, the first here, where the progress window lives (it moves from `from`
// by `span` over the first part). Without a second thread the parts run one
// after the other.
template <typename Work>
void InTwoParts(std::array<MathPart, 2>& parts, Progress& progress, float from, float span,
                Work work) {
  const auto run = [&](MathPart& part, bool shown) {
    const auto length = static_cast<float>(std::max<int64_t>(1, part.end - part.begin));
    for (int64_t done = part.begin; done < part.end && !part.failure; done += kChunk) {
      const auto count = static_cast<size_t>(std::min<int64_t>(kChunk, part.end - done));
      part.failure = work(part, done, count);
      if (shown) progress.SetProgress(from + span * static_cast<float>(done - part.begin) / length);
    }
  };
  std::thread second;
  try {
    second = std::thread(run, std::ref(parts[1]), false);
  } catch (const std::system_error&) {
  }
  run(parts[0], true);
  if (second.joinable())
    second.join();
  else
    run(parts[1], false);
}

}  // namespace

bool RunBandMath(const StepSource& source, const std::string& targetBase, const MathParams& params,
                 StepResult& result, Messenger& messenger, Progress& progress) {
  const int width = source.settings.pixels;
  const int height = source.settings.lines;
  const auto pixelCount = CheckedMul(width, height);
  if (width <= 0 || height <= 0 || !pixelCount) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  const int64_t total = *pixelCount;
  const auto types = ScanBandTypes(source.basePath);
  BandExpression expression;
  std::string error;
  if (!Compile(expression, params.expression, types, &messenger, error)) return false;
  const std::vector<int>& bands = expression.Bands();
  // A band of another size would pair pixels of different places.
  for (const int n : bands) {
    const int type = types[static_cast<size_t>(n)];
    std::error_code ec;
    const auto size =
        std::filesystem::file_size(ResolveNoCase(BandFilePath(source.basePath, type, n)), ec);
    if (!ec && static_cast<int64_t>(size) != total * SampleBytes(type)) {
      messenger.ShowText(
          Title(), Format(ShownText("バンド%dのファイルの大きさが画像の大きさと合いません．"), n));
      return false;
    }
  }
  if (!DeleteFiles(targetBase + ".*")) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  if (!CopyCompanions(source.basePath, targetBase, {".lev", ".dem"}, messenger)) return false;
  if (!WriteBandDescription(targetBase, 1,
                            ShownText("バンド計算") + std::string(" ") + params.expression)) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  std::vector<FilePtr> inputs;
  for (const int n : bands) {
    inputs.push_back(
        OpenBand(source.basePath, types[static_cast<size_t>(n)], n, width, height, messenger));
    if (!inputs.back()) return false;
  }
  const std::string floatPath = BandFilePath(targetBase, kSampleFloat, 1);
  BandWriter out;
  if (!out.Create(floatPath)) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  // The rows are worked in two halves side by side, each with its own
  // formula and buffers; every pixel's value is the same either way.
  std::array<MathPart, 2> parts;
  parts[0].end = parts[1].begin = total / 2;
  parts[1].end = total;
  if (!AllocateOrReport(messenger, [&] {
        for (MathPart& part : parts) {
          part.raw.resize(size_t{4} * kChunk);
          part.values.resize(kChunk);
          part.floats.resize(kChunk);
        }
      }))
    return false;
  for (MathPart& part : parts) {
    if (!Compile(part.expression, params.expression, types, nullptr, error)) return false;
    if (!AllocateOrReport(messenger, [&] { part.expression.Reserve(kChunk); })) return false;
  }

  progress.Create(std::max<int64_t>(1, total / 2 / kChunk / 100), "処理中");
  InTwoParts(parts, progress, 0.0f, 0.8f, [&](MathPart& part, int64_t done, size_t count) -> int {
    for (size_t b = 0; b < bands.size(); ++b) {
      const int type = types[static_cast<size_t>(bands[b])];
      const auto sampleBytes = static_cast<size_t>(SampleBytes(type));
      if (!ReadAt(inputs[b].get(), part.raw.data(), count * sampleBytes,
                  done * static_cast<int64_t>(sampleBytes)))
        return kMsgBandFileShort;
      Samples(part.raw.data(), type, count, part.expression.Input(b));
    }
    part.expression.Evaluate(part.values.data(), static_cast<int>(count));
    StoreAll(part.values.data(), part.floats.data(), count, part.largest, part.smallest);
    return out.WriteAt(part.floats.data(), count * sizeof(float), done * int64_t{4})
               ? 0
               : kMsgCreateFailed;
  });
  if (const int failure = Failure(parts); failure == kMsgBandFileShort) {
    out.Close(messenger);  // the message below is the one that tells
    return progress.Fail(messenger, failure);
  }
  if (!out.Close(messenger)) {
    progress.Close();
    return false;
  }
  const float largest = std::max(parts[0].largest, parts[1].largest);
  const float smallest = std::min(parts[0].smallest, parts[1].smallest);
  if (!(largest >= smallest)) {
    progress.Close();
    messenger.ShowMessage(kMsgMathAllUndefined);
    return false;
  }
  if (largest == smallest) {
    progress.Close();
    messenger.ShowMessage(kMsgMathConstant);
    return false;
  }

  // The display band from the float band just written.
  float lo = smallest, hi = largest;
  MathDisplayRange(smallest, largest, params.diverging, lo, hi);
  FilePtr in = OpenBand(targetBase, kSampleFloat, 1, width, height, messenger);
  BandWriter display;
  if (!in || !display.Create(BandFilePath(targetBase, kSample8, 1))) {
    progress.Close();
    if (in) messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  for (MathPart& part : parts) part.failure = 0;
  InTwoParts(parts, progress, 0.8f, 0.2f, [&](MathPart& part, int64_t done, size_t count) -> int {
    if (!ReadAt(in.get(), part.floats.data(), count * sizeof(float), done * int64_t{4}))
      return kMsgBandFileShort;
    MapBytes(part.floats.data(), part.raw.data(), count, lo, hi);
    return display.WriteAt(part.raw.data(), count, done) ? 0 : kMsgCreateFailed;
  });
  if (Failure(parts) == kMsgBandFileShort) {
    display.Close(messenger);
    return progress.Fail(messenger, kMsgBandFileShort);
  }
  progress.Close();
  if (!display.Close(messenger)) return false;
  return FinishIndexResult(targetBase,
                           FormatMathRangeFile(hi, lo, params.expression, params.diverging), width,
                           height, params.rainbow, result, messenger);
}

StepBody MakeBandMathStep(MathParams params) {
  return [params](const StepSource& source, const std::string& targetBase, StepResult& result,
                  Messenger& messenger, Progress& progress) {
    return RunBandMath(source, targetBase, params, result, messenger, progress);
  };
}

bool PreviewBandMath(const std::string& basePath, const ImageSettings& settings,
                     const std::string& text, int step, MathPreview& preview, std::string& error) {
  preview = MathPreview();
  const int width = settings.pixels, height = settings.lines;
  if (width <= 0 || height <= 0 || step < 1) return false;
  const auto types = ScanBandTypes(basePath);
  BandExpression expression;
  if (!Compile(expression, text, types, nullptr, error)) return false;
  const std::vector<int>& bands = expression.Bands();
  preview.width = (width + step - 1) / step;
  preview.height = (height + step - 1) / step;
  expression.Reserve(preview.width);
  std::vector<FilePtr> files;
  RecordingMessenger quiet;
  for (const int n : bands) {
    files.push_back(OpenBand(basePath, types[static_cast<size_t>(n)], n, width, height, quiet));
    if (!files.back()) {
      error = MessageText(kMsgOpenFailed);
      return false;
    }
  }
  std::vector<uint8_t> row, picked;
  std::vector<double> values(static_cast<size_t>(preview.width));
  preview.values.resize(static_cast<size_t>(preview.width) * preview.height);
  preview.smallest = INFINITY;
  preview.largest = -INFINITY;
  for (int y = 0; y < preview.height; ++y) {
    for (size_t b = 0; b < bands.size(); ++b) {
      const int type = types[static_cast<size_t>(bands[b])];
      const int size = SampleBytes(type);
      row.resize(static_cast<size_t>(width) * size);
      picked.resize(static_cast<size_t>(preview.width) * size);
      const int64_t offset = int64_t{y} * step * width * size;
      if (fseeko(files[b].get(), offset, SEEK_SET) != 0 ||
          std::fread(row.data(), 1, row.size(), files[b].get()) != row.size()) {
        error = MessageText(kMsgBandFileShort);
        return false;
      }
      for (int x = 0; x < preview.width; ++x)
        std::memcpy(&picked[static_cast<size_t>(x) * size],
                    &row[static_cast<size_t>(x) * step * size], static_cast<size_t>(size));
      Samples(picked.data(), type, static_cast<size_t>(preview.width), expression.Input(b));
    }
    expression.Evaluate(values.data(), preview.width);
    StoreAll(values.data(), &preview.values[static_cast<size_t>(y) * preview.width], values.size(),
             preview.largest, preview.smallest);
  }
  preview.anyValue = preview.largest >= preview.smallest;
  return true;
}

}  // namespace lumora
