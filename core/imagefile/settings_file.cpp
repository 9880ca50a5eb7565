#include "core/imagefile/settings_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

#include "core/imagefile/staged_file_set.h"
#include "core/support/checked_math.h"
#include "core/support/file_handle.h"
#include "core/support/file_set.h"
#include "core/support/line_reader.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace {

constexpr int kSettingsBuffer = 128;
// The partial write copies the lines it does not replace as they are: whole,
// up to a length no settings file comes near (longer ones are cut there).
constexpr int kCopiedLineBuffer = 1 << 20;
constexpr int kDisplayStateBuffer = 256;

// The value text of an entry "KEY =...", or nullopt when the line is not one.
bool MatchKey(const std::string& line, std::string_view key, std::string_view& value) {
  if (line.size() < key.size() + 2) return false;
  if (line.compare(0, key.size(), key) != 0) return false;
  if (line[key.size()] != ' ' || line[key.size() + 1] != '=') return false;
  value = std::string_view(line).substr(key.size() + 2);
  return true;
}

bool InRange(double v, double lo, double hi) { return v >= lo && v <= hi; }  // NaN fails

template <typename Reader>
bool ParseWith(Reader& reader, ImageSettings& out) {
  ImageSettings s = out;
  double lon = s.leftTopLon, lat = s.leftTopLat;
  std::string line;
  std::string_view v;
  while (reader.Next(line)) {
    if (MatchKey(line, "LINE", v))
      s.lines = AtoI(v);
    else if (MatchKey(line, "PIXEL", v))
      s.pixels = AtoI(v);
    else if (MatchKey(line, "START_LINE", v))
      s.startLine = AtoI(v);
    else if (MatchKey(line, "START_PIXEL", v))
      s.startPixel = AtoI(v);
    else if (MatchKey(line, "SAMPLING_RATE", v))
      s.samplingRate = AtoI(v);
    else if (MatchKey(line, "OrgE", v))
      s.orgE = AtoF(v);
    else if (MatchKey(line, "OrgN", v))
      s.orgN = AtoF(v);
    else if (MatchKey(line, "UsrOffN", v))
      s.usrOffN = AtoI(v);
    else if (MatchKey(line, "UsrOffE", v))
      s.usrOffE = AtoI(v);
    else if (MatchKey(line, "GPS_CHAR", v))
      s.gpsChar = std::string(v);
    else if (MatchKey(line, "GPS_m0", v))
      s.gpsM0 = AtoF(v);
    else if (MatchKey(line, "GPS_Yoff", v))
      s.gpsYoff = AtoF(v);
    else if (MatchKey(line, "GPS_A", v))
      s.gpsA = AtoF(v);
    else if (MatchKey(line, "GPS_rf", v))
      s.gpsRf = AtoF(v);
    else if (MatchKey(line, "SENSOR", v)) {
      int n = AtoI(v);
      s.sensor = (n == 0 || n == 1) ? n : 2;
    } else if (MatchKey(line, "LengthPerPixel", v))
      s.lengthPerPixel = AtoF(v);
    else if (MatchKey(line, "LeftTop_Lon", v)) {
      lon = AtoF(v);
      if (!InRange(lon, -180.0, 180.0)) return false;
    } else if (MatchKey(line, "LeftTop_Lat", v)) {
      lat = AtoF(v);
      if (!InRange(lat, -90.0, 90.0)) return false;
    } else if (MatchKey(line, "Inclination", v)) {
      s.inclination = AtoF(v);
      if (!InRange(s.inclination, -45.0, 45.0)) return false;
    } else if (MatchKey(line, "Rainbow", v))
      s.rainbow = AtoI(v) != 0 ? 1 : 0;
    else if (MatchKey(line, "File_State", v)) {
      int n = AtoI(v);
      s.fileState = (n >= 1 && n <= 9) ? n : 0;
    } else if (MatchKey(line, "Single_Band", v))
      s.singleBand = AtoI(v) != 0 ? 1 : 0;
    else if (MatchKey(line, "Date", v))
      s.date = Trimmed(v);
    else if (MatchKey(line, "AlignedTo", v))
      s.alignedTo = Trimmed(v);
  }
  s.leftTopLon = lon;
  s.leftTopLat = lat;
  out = s;
  return true;
}

// Copies a settings file piece by piece, letting `edit` replace or drop each
// piece (returning false drops it), then appends `tail`. targetFailure is
// the message shown when the target cannot be written.
template <typename Edit>
bool CopySettings(const std::string& text, const std::string& target, Edit edit,
                  const std::string& tail, int targetFailure, Messenger& messenger,
                  int lineBuffer = kSettingsBuffer) {
  std::string out;
  StringLineReader reader(text, lineBuffer);
  std::string line;
  while (reader.Next(line)) {
    std::string replaced;
    if (!edit(line, replaced)) continue;
    if (replaced.empty() || replaced.back() != '\n') replaced.push_back('\n');
    out += replaced;
  }
  out += tail;
  if (!WriteFileAtomically(target, out)) {
    messenger.ShowMessage(targetFailure);
    return false;
  }
  return true;
}

// A settings file read for rewriting: 61234 when it cannot be read, 61274
// when it is too long to be one.
bool ReportSettingsRead(TextRead read, Messenger& messenger) {
  if (read == TextRead::kOk) return true;
  messenger.ShowMessage(read == TextRead::kTooLarge ? kMsgBadInf : kMsgOpenFailed);
  return false;
}

}  // namespace

bool SameGrid(const ImageSettings& a, const ImageSettings& b) {
  return a.pixels == b.pixels && a.lines == b.lines && a.leftTopLon == b.leftTopLon &&
         a.leftTopLat == b.leftTopLat && a.lengthPerPixel == b.lengthPerPixel &&
         a.inclination == b.inclination;
}

int32_t DateNumber(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return 0;
  int32_t n[3] = {0, 0, 0};
  for (size_t i = 0, part = 0; i < text.size(); ++i) {
    if (i == 4 || i == 7) {
      ++part;
      continue;
    }
    if (text[i] < '0' || text[i] > '9') return 0;
    n[part] = n[part] * 10 + (text[i] - '0');
  }
  const int32_t year = n[0], month = n[1], day = n[2];
  static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (year < 1900 || year > 2199 || month < 1 || month > 12 || day < 1 ||
      day > kDays[month - 1] - (month == 2 && !leap ? 1 : 0))
    return 0;
  return year * 10000 + month * 100 + day;
}

char SampleLetter(int t) { return t == 1 ? 'b' : t == 2 ? 'i' : t == 3 ? 'r' : 0; }
int SampleBytes(int t) { return t == 1 ? 1 : t == 2 ? 2 : t == 3 ? 4 : 0; }

bool ParseSettings(const std::string& text, ImageSettings& out) {
  StringLineReader reader(text, kSettingsBuffer);
  return ParseWith(reader, out);
}

bool ReadSettings(const std::string& path, ImageSettings& out, Messenger& messenger) {
  // Every use of a set starts here: a replacement a crash cut off in its
  // folder is settled before anything of the set is read.
  RecoverInterruptedReplacements(std::filesystem::path(path).parent_path().string(), messenger);
  std::string text;
  const TextRead read = ReadTextFile(ResolveNoCase(path), kMaxSettingsFileBytes, text);
  if (read == TextRead::kCannotOpen) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  ImageSettings s;
  if (read == TextRead::kTooLarge || !ParseSettings(text, s)) {
    messenger.ShowMessage(kMsgBadInf);
    return false;
  }
  out = s;
  return true;
}

bool CheckImageSize(const ImageSettings& s, Messenger& messenger) {
  if (s.lines < 1 || s.pixels < 1) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  if (!AllocatableBytes(CheckedMul(s.lines, s.pixels, 4))) {
    messenger.ShowMessage(kMsgImageTooLarge);
    return false;
  }
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& content) {
  // A name of our own beside the target, created exclusively, so that no
  // file of the user's is ever overwritten by the temporary.
  std::string tmp;
  FilePtr f;
  for (int attempt = 0; attempt < 100 && !f; ++attempt) {
    // Short, so that a target name of full length still leaves room.
    const std::string folder = std::filesystem::path(path).parent_path().string();
    tmp = (folder.empty() ? "" : folder + "/") +
          Format(".lumora-%d-%d.part", static_cast<int>(getpid()), attempt);
    f = CreateFileForWriting(tmp, true);
    if (!f && errno != EEXIST) {
      NoteWriteFailure(path, errno);
      return false;
    }
  }
  if (!f) {
    NoteWriteFailure(path, EEXIST);
    return false;
  }
  const bool written = std::fwrite(content.data(), 1, content.size(), f.get()) == content.size();
  int error = written ? 0 : errno;
  if (!CloseWritten(f) || !written) {
    NoteWriteFailure(path, error ? error : errno);
    std::remove(tmp.c_str());
    return false;
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    NoteWriteFailure(path, ec.value());
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

bool RewriteSettingsAfterProcessing(const std::string& source, const std::string& target,
                                    const std::string& openedPath, int lines, int pixels,
                                    int rainbow, int singleBand, int fileState,
                                    Messenger& messenger) {
  std::string text;
  TextRead read = ReadTextFile(ResolveNoCase(source), kMaxSettingsFileBytes, text);
  if (read == TextRead::kCannotOpen)
    read = ReadTextFile(ResolveNoCase(StripExtension(openedPath) + ".inf"), kMaxSettingsFileBytes,
                        text);
  if (!ReportSettingsRead(read, messenger)) return false;
  auto edit = [&](const std::string& line, std::string& out) {
    if (StartsWith(line, "File_State =") || StartsWith(line, "Rainbow =") ||
        StartsWith(line, "Single_Band ="))
      return false;
    if (StartsWith(line, "LINE ="))
      out = Format("LINE = %d\n", lines);
    else if (StartsWith(line, "PIXEL ="))
      out = Format("PIXEL = %d\n", pixels);
    else
      out = line;
    return true;
  };
  const std::string tail =
      Format("File_State = %d\nRainbow = %d\nSingle_Band = %d\n", fileState, rainbow, singleBand);
  return CopySettings(text, target, edit, tail, kMsgCreateFailed, messenger);
}

bool RewriteSettingsForPartialWrite(const std::string& source, const std::string& target, int lines,
                                    int pixels, double leftTopLon, double leftTopLat,
                                    Messenger& messenger) {
  std::string text;
  if (!ReportSettingsRead(ReadTextFile(ResolveNoCase(source), kMaxSettingsFileBytes, text),
                          messenger))
    return false;
  auto edit = [&](const std::string& line, std::string& out) {
    if (StartsWith(line, "LINE"))
      out = Format("LINE = %d\n", lines);
    else if (StartsWith(line, "PIXEL"))
      out = Format("PIXEL = %d\n", pixels);
    else if (StartsWith(line, "LeftTop_Lon"))
      out = Format("LeftTop_Lon = %lf\n", leftTopLon);
    else if (StartsWith(line, "LeftTop_Lat"))
      out = Format("LeftTop_Lat = %lf\n", leftTopLat);
    else
      out = line;
    return true;
  };
  // The partial write reports a target it cannot open like its source.
  return CopySettings(text, target, edit, "", kMsgOpenFailed, messenger, kCopiedLineBuffer);
}

bool WriteDisplayStateFile(const std::string& path, int state, float maxVal, float minVal,
                           Messenger& messenger) {
  // Truncation toward zero, kept inside int for out-of-range values.
  auto trunc = [](float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0f) return 2147483647;
    if (v <= -2147483648.0f) return static_cast<int>(-2147483647 - 1);
    return static_cast<int>(v);
  };
  const std::string text =
      Format("State = %d\nMax_Val = %d\nMin_Val = %d\n", state, trunc(maxVal), trunc(minVal));
  if (!WriteFileAtomically(path, text)) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  return true;
}

template <typename Reader>
static void ParseDisplayStateWith(Reader& reader, DisplayStateFile& out) {
  std::string line;
  while (reader.Next(line)) {
    // The last character (the line break) is removed.
    if (!line.empty()) line.pop_back();
    if (StartsWith(line, "State ="))
      out.state = AtoI(std::string_view(line).substr(7));
    else if (StartsWith(line, "Max_Val ="))
      out.maxVal = AtoI(std::string_view(line).substr(9));
    else if (StartsWith(line, "Min_Val ="))
      out.minVal = AtoI(std::string_view(line).substr(9));
  }
}

bool ParseDisplayState(const std::string& text, DisplayStateFile& out) {
  StringLineReader reader(text, kDisplayStateBuffer);
  ParseDisplayStateWith(reader, out);
  return true;
}

bool ReadDisplayStateFile(const std::string& path, DisplayStateFile& out) {
  std::string text;
  if (ReadTextFile(ResolveNoCase(path), kMaxRangeFileBytes, text) != TextRead::kOk) return false;
  return ParseDisplayState(text, out);
}

}  // namespace lumora
