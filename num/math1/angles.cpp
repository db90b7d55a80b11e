#include <algorithm>
#include <cmath>

#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

namespace {

constexpr const char* kDegreeSign = "\u00B0";

// Rounding leaves values such as 10.999999999999998 behind; they are shown
// as the whole number they stand for.
double SnapToWhole(double v) {
  const double whole = Round(v);
  return std::fabs(v - whole) <= 3e-12 ? whole : v;
}

// The angle rounded to `decimals` places of the unit (60 for minutes, 3600
// for seconds), halves away from zero. A scaled value that overflows belongs
// to an angle too large to have a fraction: it is kept as it is.
double RoundAngleInUnits(double angle, double unitsPerDegree, int32_t decimals) {
  const double p = std::pow(10.0, decimals);  // exact for 0..8
  const double scaled = angle * unitsPerDegree * p;
  if (!std::isfinite(scaled)) return angle;
  return SnapToWhole(std::round(scaled) / p / unitsPerDegree);
}

constexpr int32_t kSteps[12] = {1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360};

int32_t StepDown(double x, int count) {
  int32_t step = kSteps[0];
  for (int k = 0; k < count && kSteps[k] <= x; ++k) step = kSteps[k];
  return step;
}

int32_t StepUp(double x, int count) {
  for (int k = 0; k < count; ++k)
    if (kSteps[k] >= x) return kSteps[k];
  return kSteps[count - 1];
}

bool InMinuteRange(double v) { return v >= 0 && v <= 60; }  // false for NaN

}  // namespace

std::string DegreeToStr(double Angle, TDegreeFormat Format, int32_t Decimals) {
  const int32_t decimals = std::clamp(Decimals, 0, 8);
  const auto format = static_cast<int32_t>(Format);
  if (format < 0 || format > 2) return strff(Angle, 1, decimals);
  if (!std::isfinite(Angle)) return strff(Angle, 1, 0) + kDegreeSign;
  if (format == 0) return strff(Angle, 1, decimals) + kDegreeSign;

  const double a = RoundAngleInUnits(Angle, format == 1 ? 60 : 3600, decimals);
  const double degrees = Int(a);
  // The sign of an angle between -1 and 0 has no whole degree to sit on.
  std::string s = degrees == 0 && a < 0 ? "-0" : strff(degrees, 1, 0);
  s += kDegreeSign;
  s += ' ';
  if (format == 1) {
    s += strff(Frac(std::fabs(a)) * 60, decimals + 3, decimals);
    s += '\'';
    return s;
  }
  const double minutes = SnapToWhole(Frac(std::fabs(a)) * 60);
  s += strff(Int(minutes), 2, 0);
  s += "' ";
  s += strff(Frac(minutes) * 60, decimals + 3, decimals);
  s += '"';
  return s;
}

void ConvertDegrees(double& Deg, double& Min, double& Sec, TDegreeFormat Source,
                    TDegreeFormat Target) {
  if (!InMinuteRange(Min)) throw EZELMath1Error("ConvertDegrees: invalid range of minutes");
  if (!InMinuteRange(Sec)) throw EZELMath1Error("ConvertDegrees: invalid range of seconds");
  const auto from = static_cast<int32_t>(Source);
  const auto to = static_cast<int32_t>(Target);
  if (from < 0 || from > 2 || to < 0 || to > 2) return;
  // The sign lives on the degrees; -0.0 degrees with minutes is negative too.
  const double sign = std::signbit(Deg) ? -1.0 : 1.0;

  if (to == 0) {
    if (from == 1) Deg = Int(Deg) + sign * (Min / 60);
    if (from == 2) Deg = Int(Deg) + sign * (Int(Min) / 60 + Sec / 3600);
    Min = 0;
    Sec = 0;
  } else if (to == 1) {
    if (from == 0) {
      Min = Frac(std::fabs(Deg)) * 60;
      Deg = Int(Deg);
    }
    if (from == 2) Min = Min + Sec / 60;
    Sec = 0;
  } else {
    if (from == 0) {
      const double t = Frac(std::fabs(Deg)) * 60;
      Deg = Int(Deg);
      Min = Int(t);
      Sec = Frac(t) * 60;
    }
    if (from == 1) {
      Sec = Frac(Min) * 60;
      Min = Int(Min);
    }
  }
}

void RoundDegrees(int32_t& Deg, int32_t& Min, int32_t& Sec, bool RoundUp) {
  if (Deg < 0 || Min < 0 || Sec < 0) {
    Deg = 0;
    Min = 0;
    Sec = 0;
    return;
  }
  Min = std::min(Min, 59);
  Sec = std::min(Sec, 59);
  if (Deg >= 1) {
    const double x = Deg + Min / 60.0 + Sec / 3600.0;
    Deg = RoundUp ? StepUp(x, 12) : StepDown(x, 12);
    Min = 0;
    Sec = 0;
  } else if (Min >= 1) {
    // Compared in minutes, where whole minutes are exact.
    const double xm = Min + Sec / 60.0;
    const int32_t step = RoundUp ? StepUp(xm, 9) : StepDown(xm, 9);
    Sec = 0;
    if (step > 30) {
      Deg = 1;
      Min = 0;
    } else {
      Min = step;
    }
  } else if (Sec >= 1) {
    const int32_t step = RoundUp ? StepUp(Sec, 9) : StepDown(Sec, 9);
    if (step > 30) {
      Min = 1;
      Sec = 0;
    } else {
      Sec = step;
    }
  }
}

}  // namespace zel
