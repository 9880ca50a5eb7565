// Band maths: a formula of the image's bands (a preset index of the sensor
// or the pupil's own) computed into a new file set: the true values as a
// float band (.r01, "no value" as NaN), an 8-bit display band (.b01: the
// range in 1..255, "no value" 0, drawn black) and a range file (.ndv) that
// the colour-ramp legend reads, with the formula as its third line. The set
// keeps the vegetation index's file state, so every reader of index results
// (the display, the legends, the page) takes it as one.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/view/processing_step.h"

namespace lumora {

enum MathPreset : int { kMathNdvi, kMathNdwi, kMathNdbi, kMathNdsi, kMathRatio, kMathMean };
inline constexpr int kMathPresetCount = 6;

// The preset's name on the command line: "ndvi", "ndwi", "ndbi", "ndsi", "ratio", "mean".
const char* MathPresetName(int preset);

// The preset's formula for the sensor over the bands there are (types[n] not
// 0), or "" with why (in the current language) when it cannot be computed.
std::string MathPresetFormula(int preset, int sensor, const std::array<uint8_t, 256>& types,
                              std::string* why = nullptr);

struct MathParams {
  std::string expression;
  bool rainbow = false;
  // Blue below 0, white at 0, green above (never with rainbow): the display band's range is then
  // -1 .. 1 (or symmetric about 0 when the values go beyond), so that 0 is
  // always white and two results compare.
  bool diverging = false;
};

inline constexpr const char* kMathRangeHeader = "Lumora Band Maths Range File";

// Text of the range file: header, "%lf,%lf" of largest and smallest, the
// formula, and for the diverging colours kDivergingRangeLine.
std::string FormatMathRangeFile(float largest, float smallest, const std::string& expression,
                                bool diverging = false);

// The range the display band spreads over codes 1 .. 255: the values' own,
// or for the diverging colours -m .. m with m the larger of 1 and the
// largest magnitude.
void MathDisplayRange(float smallest, float largest, bool diverging, float& lo, float& hi);
// The formula of a band-maths range file, or "" for an index range file.
std::string MathFormulaOfRangeFile(const std::string& text);

// What the legends write beside "no value": "黒：値なし", "black: no value".
std::string NoValueLabel();

// count samples of a band file of sample type `type` as doubles: bytes,
// little-endian words, or floats whose first byte 0xFF ("no data") reads NaN.
void MathSamples(const uint8_t* raw, int type, size_t count, double* out);
// The float written for a result: NaN for no value; a float whose first
// byte would be 0xFF (read back as "no data") moves by its last bit.
// Without branches, so that loops over it run many values at once.
inline float MathStored(double value) {
  const auto f = static_cast<float>(value);
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  const bool finite = (bits & 0x7F800000u) != 0x7F800000u;
  bits ^= (bits & 0xFFu) == 0xFFu ? 1u : 0u;
  bits = finite ? bits : 0x7FC00000u;
  float g;
  std::memcpy(&g, &bits, sizeof g);
  return g;
}

// The display byte of a value for the range smallest .. largest (largest
// above smallest): 1 .. 255, rounded; "no value" (not finite) gives 0.
uint8_t MathByte(float value, float smallest, float largest);
// MathByte of count values at once.
void MathBytes(const float* values, uint8_t* out, size_t count, float smallest, float largest);

// The run: refuses (nothing written) a formula that cannot be read, a band
// whose file is not the image's size, and a result that is constant or
// "no value" everywhere; deletes targetBase.*, copies the .lev and .dem
// companions, writes .r01, .b01, .d01 and .ndv.
bool RunBandMath(const StepSource& source, const std::string& targetBase, const MathParams& params,
                 StepResult& result, Messenger& messenger, Progress& progress);
StepBody MakeBandMathStep(MathParams params);

// Values of a live preview: every step-th pixel of every step-th line.
struct MathPreview {
  int width = 0;
  int height = 0;
  std::vector<float> values;  // NaN: no value
  float smallest = 0.0f;
  float largest = 0.0f;
  bool anyValue = false;
};
// False with error text when the formula cannot be read or a band not read.
bool PreviewBandMath(const std::string& basePath, const ImageSettings& settings,
                     const std::string& expression, int step, MathPreview& preview,
                     std::string& error);

}  // namespace lumora
