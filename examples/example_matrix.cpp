// Matrices in a minute: build a small data matrix, multiply it by a weight
// matrix, sort its rows by one column and print summary statistics.
#include <cstdio>
#include <memory>

#include "core/zel_random.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace {

void Print(const char* title, const zel::TMatrix& m) {
  std::printf("%s (%d columns x %d rows)\n", title, m.GetNrOfColumns(), m.GetNrOfRows());
  for (int32_t r = 1; r <= m.GetNrOfRows(); ++r) {
    for (int32_t c = 1; c <= m.GetNrOfColumns(); ++c) std::printf(" %8.3f", m.GetVal(c, r));
    std::printf("\n");
  }
}

}  // namespace

int main() {
  using namespace zel;

  // Six measurements (rows) of three variables (columns): elements are
  // addressed (column, row) from 1. A fixed seed makes the output repeatable.
  SetRandSeed(2024);
  auto data = std::make_unique<TMatrix>(nullptr);
  data->SetName("data");
  data->Resize(3, 6);
  data->FillRandomUniform(0, 10);
  data->SetVal(1, 1, 12.5);  // one value set by hand
  Print("data", *data);

  // Weighted scores: data (3 x 6) times weights (2 columns x 3 rows).
  auto weights = std::make_unique<TMatrix>(nullptr);
  weights->Resize(2, 3);
  weights->CopyFromArray(TDouble2DArray{{0.5, 0.3, 0.2}, {1, -1, 0}}, 0, 0, 0, 0, 1, 1);
  auto scores = std::make_unique<TMatrix>(nullptr);
  if (!data->Multiply(weights.get(), scores.get())) {
    std::printf("sizes do not match\n");
    return 1;
  }
  Print("scores = data x weights", *scores);

  // Sort the rows of the data by column 2, descending; report every row
  // exchange as the sort makes it.
  int32_t exchanges = 0;
  data->OnSortExchange = [&](TObject*, int32_t, int32_t, int32_t, int32_t, int32_t) {
    ++exchanges;
  };
  data->SortRows(2, false, 0, 0, 0, 0);
  std::printf("sorted by column 2 (descending) with %d row exchanges\n", exchanges);
  Print("data", *data);

  // Summary statistics of every column.
  std::printf("column      mean  variance       min       max    median\n");
  for (int32_t c = 1; c <= data->GetNrOfColumns(); ++c) {
    double mean = 0, var = 0, lo = 0, hi = 0, q1 = 0, q2 = 0, q3 = 0;
    data->MeanVar(c, 0, c, 0, mean, var);
    data->MinMax(c, 0, c, 0, lo, hi);
    data->Quartiles(c, 0, c, 0, q1, q2, q3);
    std::printf("%6d %9.3f %9.3f %9.3f %9.3f %9.3f\n", c, mean, var, lo, hi, q2);
  }
  std::printf("correlation of data with itself: %.3f\n", data->Correlate(data.get()));
  std::printf("checksum: %s\n", data->CRCofData().c_str());
  return 0;
}
