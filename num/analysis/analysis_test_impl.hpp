// Helpers for the analysis unit's tests (not installed: *_impl.hpp).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "num/analysis/zel_math2.hpp"

namespace zel::analysis_test {

// A data matrix of `cols` columns from values given row by row.
inline std::unique_ptr<TMatrix> RowsMatrix(int32_t cols, const std::vector<double>& rowMajor) {
  auto m = std::make_unique<TMatrix>(nullptr);
  const auto rows = static_cast<int32_t>(rowMajor.size()) / cols;
  m->Resize(cols, rows);
  for (int32_t r = 1; r <= rows; ++r)
    for (int32_t c = 1; c <= cols; ++c)
      m->SetVal(c, r, rowMajor[static_cast<size_t>((r - 1) * cols + (c - 1))]);
  return m;
}

inline std::unique_ptr<TVector> MakeVector(const std::vector<double>& v) {
  auto vec = std::make_unique<TVector>(nullptr);
  vec->Resize(static_cast<int32_t>(v.size()));
  for (size_t i = 0; i < v.size(); ++i) vec->SetVal(static_cast<int32_t>(i + 1), v[i]);
  return vec;
}

// Clears the process-wide progress and abort state a test changed, also
// when an assertion returns early.
struct ProgressReset {
  ProgressReset() { Reset(); }
  ~ProgressReset() { Reset(); }
  static void Reset() {
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
    ProcStat = 0;
  }
};

// The 12 objects in 3 variables of testdata/reference_values.py, row by row.
inline const std::vector<double>& Points() {
  static const std::vector<double> p{-0.43, -1.13, 0.67, -1.11, 2.01,  0.92, -0.36, 0.57, 1.61,
                                     2.83,  -0.92, 1.07, 0.52,  -0.28, 1.09, 4.51,  5.08, 3.47,
                                     4.0,   4.39,  4.02, 4.02,  3.23,  4.13, 4.19,  3.94, 3.99,
                                     0.7,   4.34,  2.7,  -0.15, 5.06,  1.81, 0.9,   5.76, 2.01};
  return p;
}

}  // namespace zel::analysis_test
