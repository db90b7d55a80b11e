#include <array>
#include <cmath>
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
  FParA = P1Y - P2Y;
  FParB = P2X - P1X;
  FParC = P1X * P2Y - P2X * P1Y;
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
  return (FParA * px + FParB * py + FParC) / std::hypot(FParA, FParB);
}

bool TSLine::InterSection(const TSLine* OtherLine, double& x, double& y) const {
  if (OtherLine == nullptr) return false;
  const double d = FParA * OtherLine->FParB - OtherLine->FParA * FParB;
  if (d == 0.0) return false;
  x = (FParB * OtherLine->FParC - OtherLine->FParB * FParC) / d;
  y = (OtherLine->FParA * FParC - FParA * OtherLine->FParC) / d;
  return true;
}

double TSLine::AngleBetweenLines(const TSLine* OtherLine) const {
  if (OtherLine == nullptr) return 0.0;
  const double n = FParA * OtherLine->FParA + FParB * OtherLine->FParB;
  if (n == 0.0) return std::numbers::pi / 2;
  return std::fabs(std::atan((FParA * OtherLine->FParB - OtherLine->FParA * FParB) / n));
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
