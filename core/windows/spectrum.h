// Spectral signatures: where each band of a file set lies on the wavelength
// axis (read from its description) and one pixel's value in every band, of
// any sample type, with the band files kept open so that following the
// mouse costs one small read per band.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/support/file_handle.h"
#include "core/support/messenger.h"
#include "core/support/text.h"

namespace lumora {

// A wavelength range in micrometres, as a band description states it.
struct Wavelength {
  bool known = false;
  double fromUm = 0.0;
  double toUm = 0.0;
  double CentreUm() const { return (fromUm + toUm) / 2; }
};

// The last range in a description: "0.45-0.52μm", "0.45 ～ 0.52 µm",
// "450-520nm", "10.4-12.5um"; unknown when there is none or it runs backwards.
Wavelength ParseWavelength(const std::string& description);

struct SpectrumBand {
  int number = 0;
  int sampleType = 0;
  std::string description;  // as in the .dNN file (UTF-8)
  Wavelength wavelength;
};

// "0.45-0.52" (micrometres, shortest form) or empty when unknown.
std::string WavelengthText(const Wavelength& w);

// Where the bands go along a chart's x axis: at their wavelength's centre
// when every band states a range, otherwise at their band numbers (the
// axis then says so). Wavelengths reaching past 3 µm (thermal bands) are
// spread on a logarithmic scale so that the visible part keeps its room.
struct SpectrumAxis {
  bool byWavelength = false;
  bool logarithmic = false;
  double lo = 0.0, hi = 1.0;                          // axis ends, in µm or band numbers
  double PositionOf(const SpectrumBand& band) const;  // 0..1 along the axis
  double PositionOfValue(double value) const;         // a µm or band number, 0..1
};
SpectrumAxis AxisFor(const std::vector<SpectrumBand>& bands);

// One pixel's value in every band. Float bands give NaN for no value.
class SpectrumSampler {
 public:
  // Opens every band file of the set (any sample type); each must be exactly
  // the image's size. A message says why not and false comes back.
  bool Open(const std::string& settingsPath, Messenger& messenger);
  // The same for the bands the set had when it was listed: one gone since
  // is refused.
  bool Open(const std::string& settingsPath, std::vector<SpectrumBand> bands, Messenger& messenger);
  bool IsOpen() const { return !m_files.empty(); }
  const std::vector<SpectrumBand>& Bands() const { return m_bands; }
  int Pixels() const { return m_pixels; }
  int Lines() const { return m_lines; }
  // 0-based pixel (x, y); a point outside the image is refused with a
  // message, as is a band that cannot be read any more.
  bool Sample(int x, int y, std::vector<double>& values, Messenger& messenger) const;

 private:
  std::vector<SpectrumBand> m_bands;
  std::vector<FilePtr> m_files;
  int m_pixels = 0;
  int m_lines = 0;
};

// The bands of the set beside settingsPath that have a band file, in
// number order, with their descriptions and ranges.
std::vector<SpectrumBand> ListSpectrumBands(const std::string& settingsPath);

// Reads the settings and opens every listed band, each of which must be
// exactly the image's size: a bad settings file, a missing or unreadable band
// and one of another size are refused with a message (titled title) and no
// file comes back.
struct BandFiles {
  int pixels = 0, lines = 0;
  std::vector<FilePtr> files;  // one per band, in the list's order
};
bool OpenWholeBands(const std::string& settingsPath, const std::vector<SpectrumBand>& bands,
                    const std::string& title, BandFiles& out, Messenger& messenger);

// A float band sample (4 little-endian bytes) as a value: NaN for no value,
// which is a NaN or infinity, or any float whose first byte is 0xFF (the
// mark float bands carry for "no data").
double FloatSample(const uint8_t* p);

// The spectra as CSV: "band,description,wavelength_um" and one column per
// spectrum (titled by titles), one row per band.
std::string SpectrumCsv(const std::vector<SpectrumBand>& bands,
                        const std::vector<std::string>& titles,
                        const std::vector<std::vector<double>>& spectra);

// Title of the messages about spectra.
std::string SpectrumTitle();

}  // namespace lumora
