// lumora-cli info: the settings record as read and normalised, then the band list.
#include <cstdio>

#include "cli/command.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/text.h"

namespace lumora::cli {
namespace {

int RunInfo(const std::vector<std::string>& argv) {
  Args args(argv, {});
  if (!args.ok()) return UsageError("info", args.error());
  if (args.positional().size() != 1 || !args.Unknown({}).empty())
    return UsageError("info", "one settings file expected");
  const std::string path = args.positional()[0];
  StderrMessenger messenger(path);
  ImageSettings s;
  if (!ReadSettings(path, s, messenger)) return kExitFailure;
  std::string gps = s.gpsChar;
  while (!gps.empty() && (gps.back() == '\n' || gps.back() == '\r')) gps.pop_back();
  std::string out;
  out += Format("LINE = %d\n", s.lines);
  out += Format("PIXEL = %d\n", s.pixels);
  out += Format("START_LINE = %d\n", s.startLine);
  out += Format("START_PIXEL = %d\n", s.startPixel);
  out += Format("SAMPLING_RATE = %d\n", s.samplingRate);
  out += Format("OrgE = %lf\n", s.orgE);
  out += Format("OrgN = %lf\n", s.orgN);
  out += Format("UsrOffN = %d\n", s.usrOffN);
  out += Format("UsrOffE = %d\n", s.usrOffE);
  out += "GPS_CHAR =" + EscapeControlCharacters(gps) + "\n";
  out += Format("GPS_m0 = %lf\n", s.gpsM0);
  out += Format("GPS_Yoff = %lf\n", s.gpsYoff);
  out += Format("GPS_A = %lf\n", s.gpsA);
  out += Format("GPS_rf = %lf\n", s.gpsRf);
  out += Format("SENSOR = %d\n", s.sensor);
  out += Format("LengthPerPixel = %lf\n", s.lengthPerPixel);
  out += Format("LeftTop_Lon = %lf\n", s.leftTopLon);
  out += Format("LeftTop_Lat = %lf\n", s.leftTopLat);
  out += Format("Inclination = %lf\n", s.inclination);
  out += Format("Rainbow = %d\n", s.rainbow);
  out += Format("File_State = %d\n", s.fileState);
  out += Format("Single_Band = %d\n", s.singleBand);
  if (!s.date.empty()) out += "Date = " + EscapeControlCharacters(s.date) + "\n";
  if (!s.alignedTo.empty()) out += "AlignedTo = " + EscapeControlCharacters(s.alignedTo) + "\n";
  // Texts from files are shown, never obeyed: a control byte in them could
  // steer the terminal.
  for (const auto& band : ListBands(path, true, 7))
    out += EscapeControlCharacters(band.text) + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return kExitOk;
}

Registrar reg("info", "info IMAGE.inf", "Prints the settings record and the band list of an image.",
              RunInfo);

}  // namespace
}  // namespace lumora::cli
