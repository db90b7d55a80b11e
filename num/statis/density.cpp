// Kernel density estimation with adaptive bandwidths.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/zel_system.hpp"
#include "core/zel_univconst.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

int32_t EstimateProbDensity(TVector& data, TVector* density, double low, double high, double factor,
                            double window, int32_t nsteps, int32_t& ixMin, int32_t& ixMax,
                            const TStatisFeedback& feedback) {
  ixMin = ixMax = 0;
  if (nsteps < 10 || nsteps > 10000) return kDensityBadSteps;
  if (!(factor > 0.0)) return kDensityBadFactor;
  if (density == nullptr) return kDensityNoObject;
  const int32_t n = data.GetNrOfElem();
  for (int32_t i = 1; i <= n; ++i) {
    if (!std::isfinite(data.GetVal(i))) return kDensityNotFinite;
  }
  if (!std::isfinite(low) || !std::isfinite(high) || !std::isfinite(window)) {
    return kDensityNotFinite;
  }
  data.SortElems(true, 0, 0);
  std::vector<double> x(static_cast<size_t>(n));
  for (int32_t i = 1; i <= n; ++i) x[static_cast<size_t>(i - 1)] = data.GetVal(i);
  const double total = static_cast<double>(n) + nsteps + 1;
  int64_t counter = 0;
  auto report = [&] {
    ++counter;
    if (feedback) {
      const double pct = std::min(100.0, Round(100.0 * static_cast<double>(counter) / total));
      feedback(nullptr, static_cast<int32_t>(pct));
    }
  };
  // The values within the window of x_i are a contiguous run of the sorted
  // data, and the mean of its consecutive gaps is its span over count - 1.
  std::vector<double> s(x.size());
  size_t lo = 0, hi = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    while (x[i] - x[lo] >= window && lo < i) ++lo;
    if (hi < i) hi = i;
    while (hi + 1 < x.size() && x[hi + 1] - x[i] < window) ++hi;
    const size_t count = window > 0.0 ? hi - lo + 1 : 0;
    // No gap within the window (an isolated value): the mean is taken as 0.
    double spacing = count >= 2 ? (x[hi] - x[lo]) / static_cast<double>(count - 1) : 0.0;
    if (spacing == 0.0) spacing = count > 0 ? window / static_cast<double>(count) : window;
    const double si = factor * spacing;
    s[i] = si > 0.0 ? si : factor;
    report();
  }
  density->Resize(nsteps + 1);
  double vmax = -1.0, vmin = uc_MaxDouble;
  const double step = (high - low) / nsteps;
  for (int32_t j = 1; j <= nsteps + 1; ++j) {
    const double t = low + (j - 1) * step;
    long double sum = 0.0L;
    for (size_t i = 0; i < x.size(); ++i) sum += nDistriDensity((t - x[i]) / s[i]) / s[i];
    const double v = static_cast<double>(sum / static_cast<long double>(n));
    density->SetVal(j, v);
    if (v > vmax) {
      vmax = v;
      ixMax = j;
    }
    if (v < vmin) {
      vmin = v;
      ixMin = j;
    }
    report();
  }
  return kDensityOk;
}

}  // namespace zel
