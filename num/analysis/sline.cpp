#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "num/analysis/zel_sline.hpp"

namespace zel {

namespace {
constexpr double kSubstDivisor = 1e-100;
}

TSLine::TSLine(TComponent* AOwner) : TComponent(AOwner) {}

void TSLine::Fail(const char* Text) const { throw EZELSLineError(ComponentMessage(Text)); }

void TSLine::SetParA(double Value) {
  if (Value == 0.0 && FParB == 0.0) Fail("parameter A and B must not both be zero");
  FParA = Value;
}

void TSLine::SetParB(double Value) {
  if (Value == 0.0 && FParA == 0.0) Fail("parameter A and B must not both be zero");
  FParB = Value;
}

bool TSLine::LineFrom2Points(double P1X, double P1Y, double P2X, double P2Y) {
  if (P1X == P2X && P1Y == P2Y) return false;
  // Formed in long double: the products of C overflow a double for
  // coordinates beyond about 1e154 and underflow below about 1e-154. When a
  // parameter would leave the normal double range all three are scaled by
  // one power of two (the largest near 1), which keeps the line.
  long double a = static_cast<long double>(P1Y) - P2Y;
  long double b = static_cast<long double>(P2X) - P1X;
  long double c = static_cast<long double>(P1X) * P2Y - static_cast<long double>(P2X) * P1Y;
  const long double big = std::max({std::fabs(a), std::fabs(b), std::fabs(c)});
  const auto tiny = [](long double v) {
    return v != 0.0L && std::fabs(v) < std::numeric_limits<double>::min();
  };
  if (std::isfinite(big) &&
      (big > std::numeric_limits<double>::max() / 4 || tiny(a) || tiny(b) || tiny(c))) {
    const int e = std::ilogb(big);
    a = std::scalbn(a, -e);
    b = std::scalbn(b, -e);
    c = std::scalbn(c, -e);
  }
  FParA = static_cast<double>(a);
  FParB = static_cast<double>(b);
  FParC = static_cast<double>(c);
  return true;
}

void TSLine::LineFromSlopeIcpt(double k, double d) {
  FParA = k;
  FParB = -1.0;
  FParC = d;
}

void TSLine::LineThroughPoint(double px, double py, double Angle) {
  FParA = -std::sin(Angle);
  FParB = std::cos(Angle);
  FParC = -FParA * px - FParB * py;
}

void TSLine::NormalLine(double px, double py, const TSLine* OtherLine) {
  if (OtherLine == nullptr) Fail("no other line given");
  // Read both before writing: OtherLine may be this line.
  const double a = -OtherLine->FParB;
  const double b = OtherLine->FParA;
  FParA = a;
  FParB = b;
  FParC = -a * px - b * py;
}

void TSLine::ParallelLine(double px, double py, const TSLine* OtherLine) {
  if (OtherLine == nullptr) Fail("no other line given");
  const double a = OtherLine->FParA;
  const double b = OtherLine->FParB;
  FParA = a;
  FParB = b;
  FParC = -a * px - b * py;
}

void TSLine::CalcKDForm(double& k, double& d) const {
  if (FParB == 0.0) Fail("cannot convert to k-d-form if ParB is zero");
  k = -FParA / FParB;
  d = -FParC / FParB;
}

double TSLine::CalcX(double y) const {
  double div = FParA;
  if (div == 0.0) {
    if (!FSubstInf) Fail("cannot calculate x");
    div = kSubstDivisor;
  }
  return (-FParB * y - FParC) / div;
}

double TSLine::CalcY(double x) const {
  double div = FParB;
  if (div == 0.0) {
    if (!FSubstInf) Fail("cannot calculate y");
    div = kSubstDivisor;
  }
  return (-FParA * x - FParC) / div;
}

double TSLine::GetSlope() const {
  if (FParB == 0.0) Fail("slope is infinite");
  return -FParA / FParB;
}

double TSLine::GetIntercept() const {
  if (FParB == 0.0) Fail("cannot calculate intercept (line is parallel to y axis)");
  return -FParC / FParB;
}

double TSLine::GetDirect() const {
  constexpr double pi = std::numbers::pi;
  double a;
  if (FParB != 0.0)
    a = std::atan(-FParA / FParB);
  else
    a = FParA <= 0.0 ? -pi / 2 : pi / 2;
  if (FParB <= 0.0) return a + pi;
  if (FParA <= 0.0) return a;
  return a + 2 * pi;
}

double TSLine::Distance(double px, double py) const {
  // Long double keeps A px near 1e308 and beyond from overflowing.
  const long double num =
      static_cast<long double>(FParA) * px + static_cast<long double>(FParB) * py + FParC;
  return static_cast<double>(num / std::hypot(static_cast<long double>(FParA), FParB));
}

bool TSLine::InterSection(const TSLine* OtherLine, double& x, double& y) const {
  if (OtherLine == nullptr) return false;
  // Cramer's rule in long double: the products of parameters near 1e200
  // (lines through points near 1e154) overflow a double.
  using L = long double;
  const L a = FParA, b = FParB, c = FParC;
  const L a2 = OtherLine->FParA, b2 = OtherLine->FParB, c2 = OtherLine->FParC;
  const L d = a * b2 - a2 * b;
  if (d == 0.0L) return false;
  x = static_cast<double>((b * c2 - b2 * c) / d);
  y = static_cast<double>((a2 * c - a * c2) / d);
  return true;
}

double TSLine::AngleBetweenLines(const TSLine* OtherLine) const {
  if (OtherLine == nullptr) return 0.0;
  using L = long double;
  const L n = static_cast<L>(FParA) * OtherLine->FParA + static_cast<L>(FParB) * OtherLine->FParB;
  if (n == 0.0L) return std::numbers::pi / 2;
  const L cross =
      static_cast<L>(FParA) * OtherLine->FParB - static_cast<L>(OtherLine->FParA) * FParB;
  return static_cast<double>(std::fabs(std::atan(cross / n)));
}

bool TSLine::ClipBox(double bllx, double blly, double burx, double bury, double& x1, double& y1,
                     double& x2, double& y2) {
  x1 = y1 = x2 = y2 = 0.0;
  const bool saved = FSubstInf;
  FSubstInf = true;
  const std::array<std::array<double, 2>, 4> cand = {
      {{bllx, CalcY(bllx)}, {burx, CalcY(burx)}, {CalcX(blly), blly}, {CalcX(bury), bury}}};
  FSubstInf = saved;
  const std::array<bool, 4> inside = {
      blly <= cand[0][1] && cand[0][1] <= bury, blly <= cand[1][1] && cand[1][1] <= bury,
      bllx <= cand[2][0] && cand[2][0] <= burx, bllx <= cand[3][0] && cand[3][0] <= burx};
  // A corner is found by two edges, and a line on an edge by three; the same
  // point twice would hide the real exit point.
  const double tol = 1e-12 * std::fmax(std::fabs(burx - bllx), std::fabs(bury - blly));
  std::array<std::array<double, 2>, 4> kept{};
  int n = 0;
  for (int i = 0; i < 4; ++i) {
    if (!inside[i]) continue;
    bool dup = false;
    for (int j = 0; j < n; ++j)
      if (std::fabs(kept[j][0] - cand[i][0]) <= tol && std::fabs(kept[j][1] - cand[i][1]) <= tol)
        dup = true;
    if (!dup) kept[n++] = cand[i];
  }
  if (n == 0) return false;
  int first = 0, second = n > 1 ? 1 : -1;
  double best = -1.0;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) {
      const double dist = std::hypot(kept[j][0] - kept[i][0], kept[j][1] - kept[i][1]);
      if (dist > best) {
        best = dist;
        first = i;
        second = j;
      }
    }
  x1 = kept[first][0];
  y1 = kept[first][1];
  if (second >= 0) {
    x2 = kept[second][0];
    y2 = kept[second][1];
  }
  return true;
}

}  // namespace zel
