// The Shapiro-Wilk test for normality (Royston's algorithm AS R94).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "num/statis/zel_statis.hpp"

namespace zel {

namespace {

constexpr double kC1[] = {0.0, 0.221157, -0.147981, -2.07119, 4.434685, -2.706056};
constexpr double kC2[] = {0.0, 0.042981, -0.293762, -1.752461, 5.682633, -3.582633};
constexpr double kC3[] = {0.544, -0.39978, 0.025054, -6.714e-4};
constexpr double kC4[] = {1.3822, -0.77857, 0.062767, -0.0020322};
constexpr double kC5[] = {-1.5861, -0.31082, -0.083751, 0.0038915};
constexpr double kC6[] = {-0.4803, -0.082676, 0.0030302};
constexpr double kG[] = {-2.273, 0.459};

template <size_t N>
double Poly(const double (&c)[N], double x) {
  double r = 0.0;
  for (size_t i = N; i-- > 0;) r = r * x + c[i];
  return r;
}

}  // namespace

double ShapiroWilkIntegral(double w, int32_t n) {
  if (n < 3 || n > 5000 || !(w > 0.0 && w <= 1.0)) return -1.0;
  if (n == 3) {
    constexpr double kPi6 = 1.90985931710274;   // 6/pi
    constexpr double kStqr = 1.04719755119660;  // asin(sqrt(3/4))
    return std::max(0.0, kPi6 * (std::asin(std::sqrt(w)) - kStqr));
  }
  if (w == 1.0) return 1.0;
  const double an = n;
  const double w1 = std::log1p(-w);
  double y, m, s;
  if (n <= 11) {
    const double gamma = Poly(kG, an);
    // Beyond gamma the transformation has no value: far in the tail.
    if (w1 >= gamma) return 1e-99;
    y = -std::log(gamma - w1);
    m = Poly(kC3, an);
    s = std::exp(Poly(kC4, an));
  } else {
    const double ln = std::log(an);
    y = w1;
    m = Poly(kC5, ln);
    s = std::exp(Poly(kC6, ln));
  }
  return nDistriIntegral(-(y - m) / s);
}

int32_t ShapiroWilkTest(const TDoubleArray& data, int32_t n, double& W, double& p) {
  W = p = 0.0;
  const size_t use =
      (n <= 0 || static_cast<size_t>(n) > data.size()) ? data.size() : static_cast<size_t>(n);
  if (use < 3 || use > 5000) return kShapiroBadCount;
  std::vector<double> x(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(use));
  if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); })) {
    return kShapiroNotFinite;
  }
  std::sort(x.begin(), x.end());
  if (x.front() == x.back()) return kShapiroConstant;
  const size_t half = use / 2;
  const double an = static_cast<double>(use);
  std::vector<double> a(half + 1, 0.0);  // a[1..half], the upper-half weights
  if (use == 3) {
    a[1] = std::sqrt(0.5);
  } else {
    std::vector<double> m(half + 1);
    double summ2 = 0.0;
    for (size_t i = 1; i <= half; ++i) {
      m[i] = nDistriQuantile((static_cast<double>(i) - 0.375) / (an + 0.25));
      summ2 += m[i] * m[i];
    }
    summ2 *= 2.0;
    const double ssumm2 = std::sqrt(summ2);
    const double rsn = 1.0 / std::sqrt(an);
    const double a1 = Poly(kC1, rsn) - m[1] / ssumm2;
    size_t first;
    double fac;
    if (use > 5) {
      first = 3;
      const double a2 = -m[2] / ssumm2 + Poly(kC2, rsn);
      fac = std::sqrt((summ2 - 2.0 * m[1] * m[1] - 2.0 * m[2] * m[2]) /
                      (1.0 - 2.0 * a1 * a1 - 2.0 * a2 * a2));
      a[2] = a2;
    } else {
      first = 2;
      fac = std::sqrt((summ2 - 2.0 * m[1] * m[1]) / (1.0 - 2.0 * a1 * a1));
    }
    a[1] = a1;
    for (size_t i = first; i <= half; ++i) a[i] = -m[i] / fac;
  }
  long double mean = 0.0L;
  for (double v : x) mean += v;
  mean /= static_cast<long double>(use);
  long double ss = 0.0L, num = 0.0L;
  for (double v : x) ss += (v - mean) * (v - mean);
  for (size_t i = 1; i <= half; ++i)
    num += a[i] * (static_cast<long double>(x[use - i]) - x[i - 1]);
  W = static_cast<double>(std::min(1.0L, num * num / ss));
  p = ShapiroWilkIntegral(W, static_cast<int32_t>(use));
  return kShapiroOk;
}

int32_t ShapiroWilkTest(const TVector& data, int32_t n, double& W, double& p) {
  TDoubleArray a(static_cast<size_t>(data.GetNrOfElem()));
  for (int32_t i = 1; i <= data.GetNrOfElem(); ++i) a[static_cast<size_t>(i - 1)] = data.GetVal(i);
  return ShapiroWilkTest(a, n, W, p);
}

}  // namespace zel
