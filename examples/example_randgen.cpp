// Random numbers of a chosen distribution: wind speeds from a Weibull
// density (shape 2, scale 8 m/s) tabulated over 0..30 m/s, and a density
// drawn by hand. A text histogram of 20000 draws shows the shape; the mean
// is compared with the Weibull mean scale * Gamma(1 + 1/shape).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_random.hpp"
#include "num/statis/zel_randgen.hpp"

void Histogram(zel::TRandGen& gen, int draws, int bins) {
  std::vector<int> count(bins, 0);
  double sum = 0;
  const double low = gen.GetLowBorder(), width = (gen.GetHighBorder() - low) / bins;
  for (int i = 0; i < draws; ++i) {
    const double x = gen.GetRandNum();
    sum += x;
    ++count[static_cast<int>((x - low) / width)];
  }
  for (int b = 0; b < bins; ++b)
    std::printf("%6.1f..%6.1f %6d %s\n", low + b * width, low + (b + 1) * width, count[b],
                std::string(count[b] * 60 / draws, '#').c_str());
  std::printf("mean of %d draws: %.3f\n", draws, sum / draws);
}

int main() {
  using namespace zel;
  SetRandSeed(42);  // a fixed seed makes the run repeatable
  auto gen = std::make_unique<TRandGen>(nullptr);
  gen->SetLowBorder(0);
  gen->SetHighBorder(30);
  gen->SetResolution(1000);
  gen->WeibullDistri(2, 8);
  std::printf("Weibull(2, 8 m/s), expected mean %.3f\n", 8 * std::tgamma(1.5));
  Histogram(*gen, 20000, 15);

  // A two-humped density given bin by bin: ramps up to 1 at 2 and at 7.
  gen->SetLowBorder(0);
  gen->SetHighBorder(10);
  gen->SetResolution(100);
  for (int i = 1; i <= 100; ++i) {
    const double x = gen->GetLambda(i);
    gen->SetProbability(i,
                        std::max(0.0, 1 - std::fabs(x - 2)) + std::max(0.0, 1 - std::fabs(x - 7)));
  }
  std::printf("\ntwo triangles at 2 and 7, expected mean 4.5\n");
  Histogram(*gen, 20000, 10);
}
