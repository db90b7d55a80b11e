// TCTab: geometry.
#include <cmath>
#include <memory>

#include "core/zel_system.hpp"
#include "core/zel_univconst.hpp"
#include "mol/cstruct/cstruct_impl.hpp"
#include "mol/cstruct/zel_cstruct.hpp"
#include "num/analysis/zel_math2.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

void TCTab::CalcMolCenter(double& x, double& y, double& z) const {
  x = y = z = 0.0;
  if (FNumValidAtoms == 0) return;
  long double sx = 0, sy = 0, sz = 0;
  for (int32_t i = 0; i < FNumValidAtoms; ++i) {
    sx += FAtomEntries[i].coords[0];
    sy += FAtomEntries[i].coords[1];
    sz += FAtomEntries[i].coords[2];
  }
  x = static_cast<double>(sx / FNumValidAtoms);
  y = static_cast<double>(sy / FNumValidAtoms);
  z = static_cast<double>(sz / FNumValidAtoms);
}

int32_t TCTab::FindAtomInBox(double x, double y, double z, double rx, double ry, double rz) const {
  int32_t hit = -1;
  for (int32_t i = 1; i <= FNumValidAtoms; ++i) {
    const auto& c = FAtomEntries[i - 1].coords;
    if (std::fabs(c[0] - x) <= rx && std::fabs(c[1] - y) <= ry && std::fabs(c[2] - z) <= rz)
      hit = i;
  }
  return hit;
}

void TCTab::FindClosestAtom(double x, double y, double z, int32_t& atom, double& dist) const {
  atom = 0;
  dist = uc_MaxReal;
  for (int32_t i = 1; i <= FNumValidAtoms; ++i) {
    const auto& c = FAtomEntries[i - 1].coords;
    const double d = std::hypot(c[0] - x, c[1] - y, c[2] - z);
    if (d < dist) {
      dist = d;
      atom = i;
    }
  }
}

void TCTab::FindClosestAtom(double x, double y, int32_t& atom, double& dist) const {
  atom = 0;
  dist = uc_MaxReal;
  for (int32_t i = 1; i <= FNumValidAtoms; ++i) {
    const auto& c = FAtomEntries[i - 1].coords;
    const double d = std::hypot(c[0] - x, c[1] - y);
    if (d < dist) {
      dist = d;
      atom = i;
    }
  }
}

double TCTab::CalcMolExtents(double& MinX, double& MinY, double& MaxX, double& MaxY, double& CentX,
                             double& CentY) const {
  MinX = MinY = MaxX = MaxY = CentX = CentY = 0.0;
  if (FNumValidAtoms == 0) return 0.0;
  // One atom: its own place, so that a drawing centres on it.
  MinX = MaxX = FAtomEntries[0].coords[0];
  MinY = MaxY = FAtomEntries[0].coords[1];
  long double sx = 0, sy = 0, sum = 0;
  int64_t bonds = 0;
  for (int32_t i = 1; i <= FNumValidAtoms; ++i) {
    const auto& c = FAtomEntries[i - 1].coords;
    MinX = std::fmin(MinX, c[0]);
    MaxX = std::fmax(MaxX, c[0]);
    MinY = std::fmin(MinY, c[1]);
    MaxY = std::fmax(MaxY, c[1]);
    sx += c[0];
    sy += c[1];
    for (uint8_t nb : FAtomEntries[i - 1].connTo) {
      if (!cstruct_impl::ValidNeighbour(nb, i, FNumValidAtoms)) continue;
      const auto& d = FAtomEntries[nb - 1].coords;
      sum += std::hypot(static_cast<double>(c[0]) - d[0], static_cast<double>(c[1]) - d[1],
                        static_cast<double>(c[2]) - d[2]);
      ++bonds;
    }
  }
  CentX = static_cast<double>(sx / FNumValidAtoms);
  CentY = static_cast<double>(sy / FNumValidAtoms);
  if (FNumValidAtoms < 2 || bonds == 0) return 0.0;
  return static_cast<double>(sum / bonds);
}

void TCTab::RotateWithPCA() {
  const int32_t n = FNumValidAtoms;
  if (n < 2) return;
  // One atom per row, x and y in two columns: the covariance of the axes.
  auto m = std::make_unique<TMatrix>(nullptr);
  if (!m->Resize(2, n)) return;
  for (int32_t i = 1; i <= n; ++i) {
    m->SetVal(1, i, FAtomEntries[i - 1].coords[0]);
    m->SetVal(2, i, FAtomEntries[i - 1].coords[1]);
  }
  if (!CalcPrincComp(m.get(), 1, 2, 1, n, 1)) return;
  double e[2][2];
  for (int32_t a = 0; a < 2; ++a)
    for (int32_t b = 0; b < 2; ++b) e[a][b] = GetEigenResult(a + 1, b + 1);
  if (e[0][0] * e[1][1] - e[0][1] * e[1][0] < 0) {
    e[1][0] = -e[1][0];
    e[1][1] = -e[1][1];
  }
  const bool pixels = FCoordUnit == CoordUnitType::cuPixel;
  for (int32_t i = 0; i < n; ++i) {
    auto& c = FAtomEntries[i].coords;
    const double x = c[0], y = c[1];
    double nx = e[0][0] * x + e[0][1] * y;
    double ny = e[1][0] * x + e[1][1] * y;
    if (pixels) {
      nx = Round(nx);
      ny = Round(ny);
    }
    c[0] = static_cast<float>(nx);
    c[1] = static_cast<float>(ny);
  }
  Changed();
}

}  // namespace zel
