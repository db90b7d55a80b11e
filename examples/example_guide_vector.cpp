// Statistics of a series: a month of daily temperatures read from a text file
// into a vector, then location, spread, shape and a histogram.
//
//   example_guide_vector [series.txt]     (default: examples/data/guide_temperatures.txt)
//
// The file holds one number per line; lines without a digit (a title) are
// skipped.
#include <cmath>
#include <cstdio>
#include <string>

#include "core/zel_zelbase.hpp"
#include "num/vector/zel_vector.hpp"

using namespace zel;

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "examples/data/guide_temperatures.txt";
  TVector t(nullptr);
  t.SetName("temperatures");
  // Size the vector to the file, and find the numbers without a header.
  if (!t.LoadFromFile(path, true, true)) {
    std::fprintf(stderr, "%s: not a readable series\n", path.c_str());
    return 1;
  }
  const int32_t n = t.GetNrOfElem();

  // Range (0, 0) is the whole vector; elements count from 1.
  double mean = 0, variance = 0, lo = 0, hi = 0;
  int32_t loDay = 0, hiDay = 0;
  t.MeanVar(0, 0, mean, variance);
  t.MinMax(0, 0, lo, hi, loDay, hiDay);
  std::printf("%d days: mean %.3f, standard deviation %.3f\n", n, mean, std::sqrt(variance));
  std::printf("coldest %.1f on day %d, warmest %.1f on day %d\n", lo, loDay, hi, hiDay);

  double q1 = 0, median = 0, q3 = 0, skewness = 0, kurtosis = 0;
  t.Quartiles(0, 0, q1, median, q3);
  t.SkewKurt(0, 0, skewness, kurtosis);
  std::printf("quartiles %.3f %.3f %.3f, 90th percentile %.3f\n", q1, median, q3,
              t.Percentile(90, 0, 0));
  std::printf("skewness %.3f, excess kurtosis %.3f\n", skewness, kurtosis);
  std::printf("first week %.3f, last week %.3f (means)\n", t.Sum(1, 7) / 7, t.Sum(n - 6, n) / 7);

  // Bins of 2 degrees, the first from -6 to -4, the last from 8 to 10;
  // values outside them are counted apart.
  TIntArray counts;
  int32_t under = 0, over = 0, most = 0;
  if (t.Histogram(0, 0, -6, 8, 2, counts, under, over, most)) {
    for (size_t b = 0; b < counts.size(); ++b)  // a raw array: counts from 0
      std::printf("%5.0f .. %3.0f %s\n", -6 + 2.0 * b, -4 + 2.0 * b,
                  std::string(static_cast<size_t>(counts[b]), '#').c_str());
    std::printf("below %d, above %d\n", under, over);
  }

  // Input a routine cannot take throws; every library error is an EZELError.
  try {
    std::printf("geometric mean %.3f\n", t.GeometricMean(0, 0));
  } catch (const EZELError& e) {
    std::printf("error: %s\n", e.what());
  }
  return 0;
}
