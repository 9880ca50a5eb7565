// A pupil's band formula ("(B4 - B3) / (B4 + B3)") compiled once and
// evaluated over many pixels per call. The parser library stays behind this
// class: no other file of core includes it. Built without it, Available()
// is false and every formula is refused.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumora {

// Why a formula was refused; the position counts characters from 0.
struct ExpressionError {
  enum Kind {
    kNone,
    kEmpty,
    kTooLong,
    kUnknownSign,  // a character that is no part of a formula
    kNoSuchBand,   // band holds its number
    kUnknownWord,  // word holds it
    kBracketNotClosed,
    kBracketNotOpened,
    kEndsEarly,
    kArguments,  // a function with too few or too many values
    kMisplaced,  // anything else at position
    kUnavailable,
  };
  Kind kind = kNone;
  int position = -1;
  int band = 0;
  std::string word;
};

// The longest formula accepted, in characters.
inline constexpr int kMaxExpressionChars = 1000;

class BandExpression {
 public:
  BandExpression();
  ~BandExpression();
  BandExpression(const BandExpression&) = delete;
  BandExpression& operator=(const BandExpression&) = delete;

  static bool Available();

  // Compiles text (UTF-8; "×", "÷" and "−" are read as "*", "/" and "-")
  // with the bands whose types[n] is not 0 as B1 .. B255 and sqrt, abs,
  // min, max and log (natural). False with the reason otherwise.
  bool Compile(const std::string& text, const std::array<uint8_t, 256>& types,
               ExpressionError& error);
  // The band numbers the formula uses, ascending.
  const std::vector<int>& Bands() const { return m_bands; }
  // Room for count values per band; Input(i) is band Bands()[i]'s array.
  void Reserve(int count);
  double* Input(size_t i) { return m_inputs[i].data(); }
  // Evaluates the first count (<= reserved) values into out.
  void Evaluate(double* out, int count);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
  std::vector<int> m_bands;
  std::vector<std::vector<double>> m_inputs;
};

// The text of an error in the current language, naming its place.
std::string ExpressionErrorText(const ExpressionError& error);

}  // namespace lumora
