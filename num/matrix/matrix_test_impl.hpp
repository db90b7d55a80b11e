// Helpers for the matrix unit's tests (not installed: *_impl.hpp).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "num/matrix/zel_matrix.hpp"

namespace zel::matrix_test {

// A matrix holding the given columns (cols[c][r] is element (c + 1, r + 1)).
inline std::unique_ptr<TMatrix> MakeMatrix(const TDouble2DArray& cols,
                                           const std::string& name = "M") {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->SetName(name);
  m->Resize(static_cast<int32_t>(cols.size()), static_cast<int32_t>(cols.front().size()));
  m->CopyFromArray(cols, 0, 0, 0, 0, 1, 1);
  return m;
}

// The elements as columns.
inline TDouble2DArray Cols(const TMatrix& m) { return m.GetMat(); }

// Records OnChange ('C'), OnResize ('R') and sort exchanges of a matrix.
struct EventLog {
  std::string Seq;
  std::vector<std::vector<int32_t>> Exchanges;
  void Attach(TMatrix& m) {
    m.OnChange = [this](TObject*) { Seq += 'C'; };
    m.OnResize = [this](TObject*) { Seq += 'R'; };
    m.OnSortExchange = [this](TObject*, int32_t kind, int32_t i1, int32_t i2, int32_t first,
                              int32_t last) {
      Exchanges.push_back({kind, i1, i2, first, last});
    };
  }
};

}  // namespace zel::matrix_test
