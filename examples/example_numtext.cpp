// Numbers as text in a minute: fixed-width and Roman texts, scientific and
// engineering notation, bit patterns, angles and time stamps, and scanning
// numbers back out of a line of text.
#include <cstdio>
#include <string>

#include "num/math1/zel_math1.hpp"

int main() {
  using namespace zel;

  std::printf("Decimal(7, 3) = %s, Hex(255, 4) = %s, Bin(5, 8) = %s, Roman(1994) = %s\n",
              Decimal(7, 3).c_str(), Hex(255, 4).c_str(), Bin(5, 8).c_str(), Roman(1994).c_str());
  std::printf("strf(1234.5678, 10, 2) = [%s], strf(6.02e23, 12, -2) = [%s]\n",
              strf(1234.5678, 10, 2).c_str(), strf(6.02e23, 12, -2).c_str());
  std::printf("MakeEFormat(123.456, 12, 4) = [%s], EEngStr(4700, 3) = %s, EEngStr(4700, -2) = %s\n",
              MakeEFormat(123.456, 12, 4).c_str(), EEngStr(4700, 3).c_str(),
              EEngStr(4700, -2).c_str());
  std::printf("bits of 1.0: %s, back: %g\n", FPNumToHex(1.0).c_str(), HexToDouble(FPNumToHex(1.0)));

  // Angles: degrees, minutes and seconds, and back.
  const double lat = 48.2081743;
  for (auto f : {TDegreeFormat::dfDeg, TDegreeFormat::dfDegMin, TDegreeFormat::dfDegMinSec})
    std::printf("%.7f as format %d: %s\n", lat, static_cast<int>(f),
                DegreeToStr(lat, f, 2).c_str());
  const std::string dms = DegreeToStr(-lat, TDegreeFormat::dfDegMinSec, 3);
  int32_t pos = 1, format = 0;
  const double back = ScanDegrees(dms, pos, false, format);
  std::printf("scanning \"%s\" gives %.7f (format %d)\n", dms.c_str(), back, format);

  // A line of a data file: a time stamp, a number with a decimal comma, a colour.
  const std::string line = "20240229153000 12,75 $00FF80";
  pos = 1;
  const TDateTime t = ScanDateTime(line, "yyyymmddHHMMSS", TLanguage::lanEnglish, pos);
  const double value = ScanFPNum(line, true, static_cast<int32_t>(TDecPSep::dpsBoth), pos);
  const int32_t colour = ScanHex(line, pos);
  std::printf("\"%s\": time %.6f (days since 1899-12-30), value %g, colour %s\n", line.c_str(), t,
              value, Hex(colour, 6).c_str());
  std::printf("StrToIntDefault(\"12x\", -1) = %d, IsValidDouble(\"1.5e3\") = %s\n",
              StrToIntDefault("12x", -1),
              IsValidDouble("1.5e3", true, TDecPSep::dpsPoint) ? "true" : "false");
  return 0;
}
