// Vectors in a minute: fill a vector, look at its statistics, and write and
// read it back as an ASC file in a temporary directory.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "core/zel_random.hpp"
#include "num/vector/zel_vector.hpp"

int main() {
  using namespace zel;

  // 1000 normal values with mean 50 and standard deviation 10 (a fixed seed,
  // so the output is the same on every run).
  SetRandSeed(2024);
  auto v = std::make_unique<TVector>(nullptr);
  v->SetName("heights");
  v->Resize(1000);
  v->FillRandomGauss(50, 10);

  double mean = 0, variance = 0, skew = 0, kurt = 0, q1 = 0, q2 = 0, q3 = 0, lo = 0, hi = 0;
  int32_t loIx = 0, hiIx = 0;
  v->MeanVar(0, 0, mean, variance);
  v->SkewKurtSample(0, 0, skew, kurt);
  v->Quartiles(0, 0, q1, q2, q3);
  v->MinMax(0, 0, lo, hi, loIx, hiIx);
  std::printf("%d values: mean %.3f, standard deviation %.3f\n", v->GetNrOfElem(), mean,
              std::sqrt(variance));
  std::printf("skewness %.3f, excess kurtosis %.3f\n", skew, kurt);
  std::printf("quartiles %.3f / %.3f / %.3f, 95th percentile %.3f\n", q1, q2, q3,
              v->Percentile(95, 0, 0));
  std::printf("minimum %.3f (element %d), maximum %.3f (element %d)\n", lo, loIx, hi, hiIx);

  TIntArray bins;
  int32_t under = 0, over = 0, maxCnt = 0;
  v->Histogram(0, 0, 20, 80, 10, bins, under, over, maxCnt);
  std::printf("histogram 20..80 by 10:");
  for (int32_t c : bins) std::printf(" %d", c);
  std::printf(" (below %d, above %d)\n", under, over);

  // Write the first ten values with 4 decimals and read them back.
  const auto dir = std::filesystem::temp_directory_path() / "zel_example_vector";
  std::filesystem::create_directories(dir);
  const std::string file = (dir / "heights.asc").string();
  auto first10 = std::make_unique<TVector>(nullptr);
  first10->Resize(10);
  first10->CopyFrom(v.get(), 1, 10, 1);
  if (first10->ExportAsASC(file, 4, "first ten heights") != 0) {
    std::printf("could not write %s\n", file.c_str());
    return 1;
  }
  auto back = std::make_unique<TVector>(nullptr);
  std::string comment;
  const int32_t status = back->ImportASC(file, comment);
  std::printf("ImportASC: status %d, comment \"%s\", %d values:", status, comment.c_str(),
              back->GetNrOfElem());
  for (int32_t i = 1; i <= back->GetNrOfElem(); ++i) std::printf(" %.4f", back->GetVal(i));
  std::printf("\nchecksum of the values read: %s\n", back->CRCofData().c_str());
  std::filesystem::remove_all(dir);
  return status == 0 ? 0 : 1;
}
