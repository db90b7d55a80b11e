// Array routines in a minute: statistics over a 2-D array (stored as columns,
// a[column][row]), a histogram, a matrix product, and a sort that carries an
// index along. Every routine reports through a status code (0 = success).
#include <cstdio>

#include "core/zel_random.hpp"
#include "num/arrays/zel_openarrays.hpp"

int main() {
  using namespace zel;

  // Three columns of 1000 normally distributed values.
  TDouble2DArray a(3, TDoubleArray(1000));
  SetRandSeed(1);
  for (auto& column : a)
    for (auto& v : column) v = RandG(10, 2);

  double mean = 0, sd = 0;
  int32_t status = MeanArray(a, 0, 0, 2, 999, mean);
  StdDevArray(a, 0, 0, 2, 999, sd);
  std::printf("mean %.4f, standard deviation %.4f (status %d)\n", mean, sd, status);
  std::printf("median of column 0: %.4f\n", PercentileArray(50, a[0]));

  TIntArray freq;
  int32_t under = 0, over = 0, maxFreq = 0;
  FrequDistOfArray(a[0], 0, 999, 4, 16, 2, freq, under, over, maxFreq);
  std::printf("histogram 4..16 in steps of 2:");
  for (int32_t f : freq) std::printf(" %d", f);
  std::printf(" (below %d, above %d)\n", under, over);

  // c = a * b with column storage: a is 2 x 2 (columns {1,3} and {2,4}).
  const TDouble2DArray m = {{1, 3}, {2, 4}}, id = {{1, 0}, {0, 1}};
  TDouble2DArray c;
  MultiplyArrays(m, id, c);
  std::printf("[[1 2][3 4]] * I = [[%g %g][%g %g]]\n", c[0][0], c[1][0], c[0][1], c[1][1]);

  TDoubleArray data = {3.5, 1.25, 2.0, 9.0};
  TIntArray index;
  SortArray(true, data, index);
  std::printf("sorted:");
  for (size_t i = 0; i < data.size(); ++i) std::printf(" %g (was #%d)", data[i], index[i]);
  std::printf("\n");
  return 0;
}
