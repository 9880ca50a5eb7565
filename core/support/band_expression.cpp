#include "core/support/band_expression.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/support/string_table.h"
#include "core/support/text.h"

#if LUMORA_MATH
#include <muParser.h>
#endif

namespace lumora {

#if LUMORA_MATH

namespace {

// The formula in single-byte characters, one per character typed, so that
// the parser's positions are the pupil's. False at a character that has no
// place in a formula. "b4" is read as "B4".
bool ToAscii(const std::string& text, std::string& out, ExpressionError& error) {
  out.clear();
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int position = static_cast<int>(out.size());
    if (c < 0x80) {
      if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
        error = {ExpressionError::kUnknownSign, position, 0, {}};
        return false;
      }
      const bool wordStart =
          out.empty() ||
          !(std::isalnum(static_cast<unsigned char>(out.back())) || out.back() == '_');
      const bool bandNext = i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9';
      out.push_back(c == 'b' && wordStart && bandNext ? 'B'
                    : c < 0x20                        ? ' '
                                                      : static_cast<char>(c));
      ++i;
      continue;
    }
    struct Sign {
      const char* utf8;
      char ascii;
    };
    // Full-width brackets, signs and space as a Japanese keyboard types them.
    static const Sign kSigns[] = {{"×", '*'},      {"÷", '/'},      {"−", '-'},
                                  {"\uFF08", '('}, {"\uFF09", ')'}, {"\uFF0B", '+'},
                                  {"\uFF0D", '-'}, {"\u3000", ' '}};
    bool known = false;
    for (const Sign& s : kSigns) {
      const size_t n = std::char_traits<char>::length(s.utf8);
      if (text.compare(i, n, s.utf8) == 0) {
        out.push_back(s.ascii);
        i += n;
        known = true;
        break;
      }
    }
    if (!known) {
      error = {ExpressionError::kUnknownSign, position, 0, {}};
      return false;
    }
  }
  return true;
}

// The first bracket opened and never closed, or -1.
int UnclosedBracket(const std::string& ascii) {
  std::vector<int> open;
  for (size_t i = 0; i < ascii.size(); ++i) {
    if (ascii[i] == '(') open.push_back(static_cast<int>(i));
    if (ascii[i] == ')' && !open.empty()) open.pop_back();
  }
  return open.empty() ? -1 : open.front();
}

size_t CountChars(const std::string& utf8) {
  size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

bool IsBlank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

// The band number of a word "B<n>", or 0.
int BandOfWord(const std::string& word) {
  if (word.size() < 2 || word.size() > 4 || word[0] != 'B') return 0;
  int n = 0;
  for (size_t i = 1; i < word.size(); ++i) {
    if (word[i] < '0' || word[i] > '9') return 0;
    n = n * 10 + (word[i] - '0');
  }
  return n;
}

}  // namespace

namespace {

double Sqrt(double v) { return std::sqrt(v); }
double Abs(double v) { return std::fabs(v); }
double Log(double v) { return std::log(v); }
double Min(double a, double b) { return std::fmin(a, b); }
double Max(double a, double b) { return std::fmax(a, b); }

}  // namespace

struct BandExpression::Impl {
  mu::Parser parser;
  std::string ascii;
  double dummy = 1.0;
  // The parser's compiled formula run one operation at a time over whole
  // arrays, as numpy does, instead of the whole formula once per value:
  // many times faster. Empty when the formula holds an operation not run
  // this way; the parser's bulk mode then evaluates it.
  std::vector<mu::SToken> program;
  std::vector<std::vector<double>> stack;
  std::vector<const double*> operand;  // where each level's values are read

  void Compile();
  void Run(double* out, int count);
};

void BandExpression::Impl::Compile() {
  program.clear();
  parser.Eval();  // builds the byte code
  std::vector<mu::SToken> tokens;
  int depth = 0, deepest = 0;
  for (const mu::SToken* t = parser.GetByteCode().GetBase(); t->Cmd != mu::cmEND; ++t) {
    switch (t->Cmd) {
      case mu::cmLE:
      case mu::cmGE:
      case mu::cmNEQ:
      case mu::cmEQ:
      case mu::cmLT:
      case mu::cmGT:
      case mu::cmADD:
      case mu::cmSUB:
      case mu::cmMUL:
      case mu::cmDIV:
      case mu::cmPOW: --depth; break;
      case mu::cmVAR:
      case mu::cmVAL:
      case mu::cmVARPOW2:
      case mu::cmVARPOW3:
      case mu::cmVARPOW4:
      case mu::cmVARMUL: ++depth; break;
      case mu::cmFUNC:
        if (t->Fun.argc == 2)
          --depth;
        else if (t->Fun.argc != 1)
          return;
        break;
      default: return;
    }
    if (depth < 1 && t->Cmd != mu::cmEND) return;
    deepest = std::max(deepest, depth);
    tokens.push_back(*t);
  }
  if (depth != 1) return;
  program = std::move(tokens);
  stack.resize(static_cast<size_t>(deepest));
}

// Each stack level's values are read through a pointer: a band's own array
// while it is only a variable (no copy), the level's array once an operation
// has written it. Level 0 writes straight into out.
void BandExpression::Impl::Run(double* out, int count) {
  const auto n = static_cast<size_t>(count);
  for (auto& column : stack)
    if (column.size() < n) column.resize(n);
  operand.resize(stack.size());
  const auto level = [&](int k) { return k == 0 ? out : stack[static_cast<size_t>(k)].data(); };
  const auto at = [&](int k) -> const double*& { return operand[static_cast<size_t>(k)]; };
  int top = -1;
  for (const mu::SToken& t : program) {
    if (t.Cmd <= mu::cmPOW) {
      // r may be a (then each value is read before it is written), never b.
      double* r = level(top - 1);
      const double* a = at(top - 1);
      const double* __restrict b = at(top);
      at(--top) = r;
      switch (t.Cmd) {
        case mu::cmLE:
          for (size_t i = 0; i < n; ++i) r[i] = a[i] <= b[i];
          break;
        case mu::cmGE:
          for (size_t i = 0; i < n; ++i) r[i] = a[i] >= b[i];
          break;
        case mu::cmNEQ:
          for (size_t i = 0; i < n; ++i) r[i] = a[i] != b[i];
          break;
        case mu::cmEQ:
          for (size_t i = 0; i < n; ++i) r[i] = a[i] == b[i];
          break;
        case mu::cmLT:
          for (size_t i = 0; i < n; ++i) r[i] = a[i] < b[i];
          break;
        case mu::cmGT:
          for (size_t i = 0; i < n; ++i) r[i] = a[i] > b[i];
          break;
        case mu::cmADD:
          for (size_t i = 0; i < n; ++i) r[i] = a[i] + b[i];
          break;
        case mu::cmSUB:
          for (size_t i = 0; i < n; ++i) r[i] = a[i] - b[i];
          break;
        case mu::cmMUL:
          for (size_t i = 0; i < n; ++i) r[i] = a[i] * b[i];
          break;
        case mu::cmDIV:
          for (size_t i = 0; i < n; ++i) r[i] = a[i] / b[i];
          break;
        default:
          for (size_t i = 0; i < n; ++i) r[i] = std::pow(a[i], b[i]);
          break;
      }
      continue;
    }
    if (t.Cmd == mu::cmFUNC) {
      const int k = top - (t.Fun.argc == 2 ? 1 : 0);
      double* r = level(k);
      const double* a = at(k);
      if (t.Fun.argc == 1) {
        for (size_t i = 0; i < n; ++i) r[i] = t.Fun.cb.call_fun<1>(a[i]);
      } else {
        const double* __restrict b = at(top);
        for (size_t i = 0; i < n; ++i) r[i] = t.Fun.cb.call_fun<2>(a[i], b[i]);
        --top;
      }
      at(k) = r;
      continue;
    }
    const double* __restrict v = t.Val.ptr;
    if (t.Cmd == mu::cmVAR) {
      at(++top) = v;
      continue;
    }
    double* __restrict r = level(++top);
    at(top) = r;
    const double k = t.Val.data, d = t.Val.data2;
    switch (t.Cmd) {
      case mu::cmVAL: std::fill(r, r + n, d); break;
      case mu::cmVARPOW2:
        for (size_t i = 0; i < n; ++i) r[i] = v[i] * v[i];
        break;
      case mu::cmVARPOW3:
        for (size_t i = 0; i < n; ++i) r[i] = v[i] * v[i] * v[i];
        break;
      case mu::cmVARPOW4:
        for (size_t i = 0; i < n; ++i) r[i] = v[i] * v[i] * v[i] * v[i];
        break;
      default:
        for (size_t i = 0; i < n; ++i) r[i] = v[i] * k + d;
        break;
    }
  }
  if (at(0) != out) std::copy(at(0), at(0) + n, out);
}

BandExpression::BandExpression() : m_impl(std::make_unique<Impl>()) {}
BandExpression::~BandExpression() = default;

bool BandExpression::Available() { return true; }

bool BandExpression::Compile(const std::string& text, const std::array<uint8_t, 256>& types,
                             ExpressionError& error) {
  error = {};
  m_bands.clear();
  m_inputs.clear();
  if (CountChars(text) > size_t{kMaxExpressionChars}) {
    error.kind = ExpressionError::kTooLong;
    return false;
  }
  std::string& ascii = m_impl->ascii;
  if (!ToAscii(text, ascii, error)) return false;
  if (IsBlank(ascii)) {
    error.kind = ExpressionError::kEmpty;
    return false;
  }
  mu::Parser& p = m_impl->parser;
  p.ClearVar();
  p.ClearFun();
  p.ClearConst();
  p.DefineFun("sqrt", Sqrt);
  p.DefineFun("abs", Abs);
  p.DefineFun("log", Log);
  p.DefineFun("min", Min);
  p.DefineFun("max", Max);
  for (int n = 1; n <= 255; ++n)
    if (types[static_cast<size_t>(n)]) p.DefineVar(Format("B%d", n), &m_impl->dummy);
  try {
    p.SetExpr(ascii);
    p.Eval();
    for (const auto& [name, ptr] : p.GetUsedVar()) m_bands.push_back(BandOfWord(name));
  } catch (const mu::Parser::exception_type& e) {
    const int position = std::max(0, e.GetPos());
    const std::string token = e.GetToken();
    switch (e.GetCode()) {
      case mu::ecUNASSIGNABLE_TOKEN:
        if (const int band = BandOfWord(token)) {
          error = {ExpressionError::kNoSuchBand, position, band, token};
        } else if (!token.empty() &&
                   (std::isalpha(static_cast<unsigned char>(token[0])) || token[0] == '_')) {
          error = {ExpressionError::kUnknownWord, position, 0, token};
        } else {
          error = {ExpressionError::kUnknownSign, position, 0, token};
        }
        break;
      case mu::ecMISSING_PARENS:
        error = {ExpressionError::kBracketNotClosed, UnclosedBracket(ascii), 0, {}};
        break;
      case mu::ecUNEXPECTED_PARENS:
        error = {token == ")" ? ExpressionError::kBracketNotOpened : ExpressionError::kMisplaced,
                 position, 0, token};
        break;
      case mu::ecUNEXPECTED_EOF:
        error =
            UnclosedBracket(ascii) >= 0
                ? ExpressionError{ExpressionError::kBracketNotClosed, UnclosedBracket(ascii), 0, {}}
                : ExpressionError{ExpressionError::kEndsEarly, position, 0, {}};
        break;
      case mu::ecTOO_FEW_PARAMS:
      case mu::ecTOO_MANY_PARAMS: error = {ExpressionError::kArguments, position, 0, token}; break;
      default: error = {ExpressionError::kMisplaced, position, 0, token}; break;
    }
    if (error.position > static_cast<int>(ascii.size()))
      error.position = static_cast<int>(ascii.size());
    return false;
  }
  std::sort(m_bands.begin(), m_bands.end());
  return true;
}

void BandExpression::Reserve(int count) {
  mu::Parser& p = m_impl->parser;
  m_inputs.assign(m_bands.size(), std::vector<double>(static_cast<size_t>(std::max(count, 1))));
  p.ClearVar();
  for (size_t i = 0; i < m_bands.size(); ++i)
    p.DefineVar(Format("B%d", m_bands[i]), m_inputs[i].data());
  p.SetExpr(m_impl->ascii);
  try {
    m_impl->Compile();
  } catch (const mu::Parser::exception_type&) {
    m_impl->program.clear();
  }
}

void BandExpression::Evaluate(double* out, int count) {
  if (count <= 0) return;
  if (!m_impl->program.empty()) {
    m_impl->Run(out, count);
    return;
  }
  try {
    m_impl->parser.Eval(out, count);
  } catch (const mu::Parser::exception_type&) {
    for (int i = 0; i < count; ++i) out[i] = std::nan("");
  }
}

#else

struct BandExpression::Impl {};

BandExpression::BandExpression() = default;
BandExpression::~BandExpression() = default;

bool BandExpression::Available() { return false; }

bool BandExpression::Compile(const std::string&, const std::array<uint8_t, 256>&,
                             ExpressionError& error) {
  error = {ExpressionError::kUnavailable, -1, 0, {}};
  return false;
}

void BandExpression::Reserve(int) {}

void BandExpression::Evaluate(double* out, int count) {
  for (int i = 0; i < count; ++i) out[i] = std::nan("");
}

#endif

std::string ExpressionErrorText(const ExpressionError& e) {
  const int at = e.position + 1;
  switch (e.kind) {
    case ExpressionError::kNone: return {};
    case ExpressionError::kEmpty: return ShownText("式が空です．");
    case ExpressionError::kTooLong:
      return Format(ShownText("式が長すぎます（%d文字まで）．"), kMaxExpressionChars);
    case ExpressionError::kUnknownSign:
      return Format(ShownText("%d文字目：式に使えない文字です．"), at);
    case ExpressionError::kNoSuchBand:
      return Format(ShownText("%d文字目：この画像にバンド%dはありません．"), at, e.band);
    case ExpressionError::kUnknownWord:
      return Format(ShownText("%d文字目：「%s」という名前は知りません．"), at, e.word.c_str());
    case ExpressionError::kBracketNotClosed:
      return Format(ShownText("%d文字目：かっこが閉じていません．"), at);
    case ExpressionError::kBracketNotOpened:
      return Format(ShownText("%d文字目：閉じかっこに対応する開きかっこがありません．"), at);
    case ExpressionError::kEndsEarly:
      return Format(ShownText("%d文字目：式が途中で終わっています．"), at);
    case ExpressionError::kArguments:
      return Format(ShownText("%d文字目：関数に渡す値の数が違います．"), at);
    case ExpressionError::kMisplaced:
      return Format(ShownText("%d文字目：ここは式として読めません．"), at);
    case ExpressionError::kUnavailable: return MessageText(kMsgMathUnavailable);
  }
  return {};
}

}  // namespace lumora
