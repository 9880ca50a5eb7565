// Small text helpers with C-runtime semantics that do not depend on the
// process locale (the GUI toolkit may set one).
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace lumora {

// printf into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// atoi: skips leading blanks, optional sign, digits; no digits gives 0.
// Values beyond the 32-bit range saturate.
int AtoI(std::string_view s);

// atof: skips leading blanks, reads the longest decimal number (with
// exponent, "inf" and "nan" as strtod does); no number gives 0.0.
double AtoF(std::string_view s);

bool StartsWith(std::string_view s, std::string_view prefix);

// s without the blanks, tabs and line ends around it.
std::string Trimmed(std::string_view s);

// ASCII upper / lower case.
std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

// UTF-8 text with its control characters (C0, DEL and the C1 range U+0080..
// U+009F) written as "\xNN" (C1 as "\u0080".."\u009F"), for showing texts
// read from files on a terminal.
std::string EscapeControlCharacters(std::string_view s);

// A value as the windows and CSV files write it: whole numbers plainly,
// others with up to `decimals` places; "." as the decimal separator in every
// language; empty for NaN.
std::string ValueText(double value, int decimals = 4);

// A CSV field: quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

}  // namespace lumora
