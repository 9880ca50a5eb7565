#include "core/support/text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

namespace lumora {

std::string Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  char small[256];
  int n = std::vsnprintf(small, sizeof small, fmt, ap);
  va_end(ap);
  std::string out;
  if (n < 0) {
    va_end(ap2);
    return out;
  }
  if (static_cast<size_t>(n) < sizeof small) {
    out.assign(small, static_cast<size_t>(n));
  } else {
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, ap2);
    out.assign(big.data(), static_cast<size_t>(n));
  }
  va_end(ap2);
  return out;
}

static bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int AtoI(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsCSpace(s[i])) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    neg = s[i] == '-';
    ++i;
  }
  long long v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
  }
  if (neg) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return static_cast<int>(v);
}

double AtoF(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsCSpace(s[i])) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    neg = s[i] == '-';
    ++i;
  }
  // from_chars takes no sign of its own after ours and no leading '+'.
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) return 0.0;
  double v = 0.0;
  auto r = std::from_chars(s.data() + i, s.data() + s.size(), v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // strtod gives HUGE_VAL or 0 here; from_chars leaves v untouched.
    size_t j = i;
    bool mantissaNonZero = false;
    for (; j < s.size() && ((s[j] >= '0' && s[j] <= '9') || s[j] == '.'); ++j)
      if (s[j] >= '1' && s[j] <= '9') mantissaNonZero = true;
    bool expNeg = j + 1 < s.size() && (s[j] == 'e' || s[j] == 'E') && s[j + 1] == '-';
    v = (!mantissaNonZero || expNeg) ? 0.0 : HUGE_VAL;
  } else if (r.ec != std::errc()) {
    return 0.0;
  }
  return neg ? -v : v;
}

std::string Trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1));
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

std::string ToUpperAscii(std::string_view s) {
  std::string r(s);
  for (auto& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::string ToLowerAscii(std::string_view s) {
  std::string r(s);
  for (auto& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return ToLowerAscii(a) == ToLowerAscii(b);
}

std::string EscapeControlCharacters(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7F) {
      out += Format("\\x%02X", c);
    } else if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(s[i + 1]) <= 0x9F) {
      out += Format("\\u%04X", static_cast<unsigned char>(s[++i]));
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::string ValueText(double value, int decimals) {
  if (std::isnan(value)) return {};
  // Room for the largest double written out in full (309 digits) and its decimals.
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed,
                               std::clamp(decimals, 0, 12));
  if (r.ec != std::errc()) return {};
  std::string s(buf, r.ptr);
  // Trailing zeros say nothing: 12.5000 -> 12.5, 3.0000 -> 3.
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace lumora
