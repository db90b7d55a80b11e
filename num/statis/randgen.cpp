#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "core/zel_random.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/statis/zel_randgen.hpp"

namespace zel {

namespace {
constexpr int32_t kMinResolution = 10;
constexpr int32_t kMaxResolution = 4000;
constexpr int32_t kDefaultResolution = 500;
constexpr int32_t kMaxTries = 100001;

// Low + t (High - Low) for t in [0, 1] that stays finite when High - Low
// overflows (borders of opposite sign near the largest double).
double Interpolate(double Low, double High, double t) {
  const double span = High - Low;
  if (std::isfinite(span)) return Low + t * span;
  const double half = High * 0.5 - Low * 0.5;
  return Low + t * half + t * half;
}

// Replaces +inf entries (the pole of a density) by the largest finite entry,
// or by 1 when no finite entry is positive. Returns false if a NaN is present
// (then nothing is changed).
bool ReplaceInfinite(std::vector<double>& v) {
  double maxFinite = 0.0;
  bool hasInf = false;
  for (double x : v) {
    if (std::isnan(x)) return false;
    if (x == std::numeric_limits<double>::infinity())
      hasInf = true;
    else
      maxFinite = std::max(maxFinite, x);
  }
  if (hasInf) {
    const double repl = maxFinite > 0.0 ? maxFinite : 1.0;
    for (double& x : v)
      if (x == std::numeric_limits<double>::infinity()) x = repl;
  }
  return true;
}
}  // namespace

TRandGen::TRandGen(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FDistVec.assign(kDefaultResolution, 1.0);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
}

void TRandGen::Fail(const char* Text) const { throw EZELStatisError(ComponentMessage(Text)); }

void TRandGen::SetResolution(int32_t Value) {
  const int32_t n = std::clamp(Value, kMinResolution, kMaxResolution);
  std::vector<double> table;
  try {
    table.assign(static_cast<size_t>(n), 1.0);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory");
  }
  FDistVec.swap(table);
  FSampleValid = false;
}

double TRandGen::GetProbability(int32_t Idx) const {
  return (Idx >= 1 && Idx <= GetResolution()) ? FDistVec[static_cast<size_t>(Idx - 1)] : 0.0;
}

void TRandGen::SetProbability(int32_t Idx, double Value) {
  if (Idx < 1 || Idx > GetResolution()) return;
  // std::clamp passes a NaN through, which GetRandNum then reports.
  FDistVec[static_cast<size_t>(Idx - 1)] = std::clamp(Value, 0.0, 1.0);
  FSampleValid = false;
}

double TRandGen::GetLambda(int32_t ix) const {
  const int32_t r = GetResolution();
  if (ix <= 0) return FLowBorder;
  if (ix > r) return FHighBorder;
  return Interpolate(FLowBorder, FHighBorder, static_cast<double>(ix - 1) / r);
}

int32_t TRandGen::IndexOfLambda(double Lambda) const {
  const int32_t r = GetResolution();
  if (std::isnan(Lambda)) return 0;
  if (Lambda < FLowBorder) return 0;
  if (Lambda > FHighBorder) return r + 1;
  // Here LowBorder <= Lambda <= HighBorder; equal borders would give 0/0.
  if (!(FHighBorder > FLowBorder)) return 1;
  const double span = FHighBorder - FLowBorder;
  double pos;
  if (std::isfinite(span))
    pos = (Lambda - FLowBorder) * r / span;
  else
    pos = (Lambda * 0.5 - FLowBorder * 0.5) / (FHighBorder * 0.5 - FLowBorder * 0.5) * r;
  return std::min(IntNeg(pos), r) + 1;
}

void TRandGen::Normalize() {
  std::vector<double> t = FDistVec;
  if (!ReplaceInfinite(t)) return;
  const auto [mn, mx] = std::minmax_element(t.begin(), t.end());
  const double lo = *mn, hi = *mx;
  if (hi != lo)
    for (double& x : t) x = (x - lo) / (hi - lo);
  FDistVec.swap(t);
  FSampleValid = false;
}

bool TRandGen::Standardize() {
  std::vector<double> t = FDistVec;
  if (!ReplaceInfinite(t)) return false;
  const double mx = *std::max_element(t.begin(), t.end());
  if (mx == 0.0) return false;
  for (double& x : t) x /= mx;
  FDistVec.swap(t);
  FSampleValid = false;
  return true;
}

template <class F>
void TRandGen::FillShape(F Density) {
  const int32_t r = GetResolution();
  for (int32_t i = 1; i <= r; ++i) FDistVec[static_cast<size_t>(i - 1)] = Density(GetLambda(i));
  FSampleValid = false;
}

void TRandGen::UniformDistri() {
  FillShape([](double) { return 1.0; });
}

void TRandGen::NormalDistri(double Mean, double StdDev) {
  FillShape([Mean, StdDev](double x) {
    if (std::isnan(x) || std::isnan(Mean) || std::isnan(StdDev))
      return std::numeric_limits<double>::quiet_NaN();
    if (StdDev == 0.0) return x == Mean ? 1.0 : 0.0;
    // The quotient first, so that large distances do not overflow the square.
    const double z = (x - Mean) / StdDev;
    return std::exp(-0.5 * z * z);
  });
}

void TRandGen::WeibullDistri(double Beta, double Eta) {
  FillShape([Beta, Eta](double x) { return WeibullDensity(x, Beta, Eta); });
}

void TRandGen::tDistri(int32_t DF) {
  FillShape([DF](double x) { return tDistriDensity(x, DF); });
}

void TRandGen::Chi2Distri(int32_t DF) {
  FillShape([DF](double x) {
    if (DF < 1) return std::numeric_limits<double>::quiet_NaN();
    return x < 0.0 ? 0.0 : Chi2DistriDensity(x, DF);
  });
}

void TRandGen::FDistri(int32_t DF1, int32_t DF2) {
  FillShape([DF1, DF2](double x) {
    if (DF1 < 1 || DF2 < 1) return std::numeric_limits<double>::quiet_NaN();
    return x <= 0.0 ? 0.0 : FDistriDensity(x, DF1, DF2);
  });
}

void TRandGen::PrepareSampling() {
  FSample = FDistVec;
  FSampleHasNaN = !ReplaceInfinite(FSample);
  if (!FSampleHasNaN) {
    // Densities above 1 would be clipped by the acceptance test; a table
    // that stays within 1 is sampled as it is so that its sequence is kept.
    const double mx = *std::max_element(FSample.begin(), FSample.end());
    if (mx > 1.0)
      for (double& x : FSample) x /= mx;
  }
  FSampleValid = true;
}

double TRandGen::GetRandNum() {
  if (!FSampleValid) PrepareSampling();
  FLastDrawRejected = false;
  if (FSampleHasNaN) return std::numeric_limits<double>::quiet_NaN();
  const int32_t r = GetResolution();
  int32_t a = 0;
  double u = 0.0;
  bool accepted = false;
  for (int32_t k = 0; k < kMaxTries && !accepted; ++k) {
    a = Random(r);
    u = Random();
    const double d =
        a < r - 1 ? FSample[a] + u * (FSample[a + 1] - FSample[a]) : FSample[a] * (1.0 - u);
    const double rr = Random();
    accepted = d >= 1.0 || d > rr;
  }
  FLastDrawRejected = !accepted;
  const double x = Interpolate(FLowBorder, FHighBorder, (a + u) / r);
  // Rounding must not carry a candidate onto the open upper end.
  if (x >= FHighBorder && FHighBorder > FLowBorder) return std::nextafter(FHighBorder, FLowBorder);
  return x;
}

}  // namespace zel
