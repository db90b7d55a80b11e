// Helpers for the tests of the three- and four-dimensional matrices (not
// installed: *_impl.hpp).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "num/matrix/zel_matrix.hpp"

namespace zel::mat3d4d_test {

// A value that differs for every position of a small matrix.
inline double Tag(int32_t x, int32_t y, int32_t z, int32_t t = 1) {
  return x * 1000.0 + y * 100.0 + z * 10.0 + t + 0.5;
}

inline std::unique_ptr<TMat3D> Make3D(int32_t nx, int32_t ny, int32_t nz,
                                      const std::function<double(int32_t, int32_t, int32_t)>& f,
                                      const std::string& name = "M3") {
  auto m = std::make_unique<TMat3D>(nullptr);
  m->SetName(name);
  m->Resize(nx, ny, nz);
  for (int32_t x = 1; x <= nx; ++x)
    for (int32_t y = 1; y <= ny; ++y)
      for (int32_t z = 1; z <= nz; ++z) m->SetVal(x, y, z, f(x, y, z));
  return m;
}

inline std::unique_ptr<TMat4D> Make4D(
    int32_t nx, int32_t ny, int32_t nz, int32_t nt,
    const std::function<double(int32_t, int32_t, int32_t, int32_t)>& f,
    const std::string& name = "M4") {
  auto m = std::make_unique<TMat4D>(nullptr);
  m->SetName(name);
  m->Resize(nx, ny, nz, nt);
  for (int32_t x = 1; x <= nx; ++x)
    for (int32_t y = 1; y <= ny; ++y)
      for (int32_t z = 1; z <= nz; ++z)
        for (int32_t t = 1; t <= nt; ++t) m->SetVal(x, y, z, t, f(x, y, z, t));
  return m;
}

// Records OnChange ('C'), OnResize ('R') and the percentages of
// OnPercentDone of a matrix.
struct EventLog {
  std::string Seq;
  std::vector<int32_t> Percents;
  template <class M>
  void Attach(M& m) {
    m.OnChange = [this](TObject*) { Seq += 'C'; };
    m.OnResize = [this](TObject*) { Seq += 'R'; };
    m.OnPercentDone = [this](TObject*, int32_t p) { Percents.push_back(p); };
  }
};

// Restores the progress globals whatever a test does.
struct ProgressGuard {
  ~ProgressGuard() {
    MathFeedBackProc = nullptr;
    AbortMathProc = false;
  }
};

}  // namespace zel::mat3d4d_test
