// Shared helpers of the data-table file tests: a table with awkward
// content and a comparison that looks at everything a file keeps.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

#include "num/datatable/zel_datatable.hpp"

namespace zel::dtfiles_test {

// A scratch directory removed with the object.
class TScratch {
 public:
  TScratch() {
    FDir = std::filesystem::temp_directory_path() /
           ("zel_dtfiles_" + std::to_string(::getpid()) + "_" + std::to_string(Count()++));
    std::filesystem::create_directories(FDir);
  }
  ~TScratch() {
    std::error_code ec;
    std::filesystem::remove_all(FDir, ec);
  }
  std::string Path(const std::string& Name) const { return (FDir / Name).string(); }

 private:
  static int& Count() {
    static int n = 0;
    return n;
  }
  std::filesystem::path FDir;
};

inline std::string ReadFile(const std::string& Path) {
  std::ifstream f(Path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& Path, const std::string& Text) {
  std::ofstream(Path, std::ios::binary) << Text;
}

// 4 columns x 5 rows: every kind of value the writers must keep (signed
// zero, a subnormal, the extremes, infinities, NaN, a value whose shortest
// text has 17 digits), a nominal and an ordinal column with gaps in their
// level slots, names that need quoting or escaping, attributes at the
// 32-bit limits, and every kind of cell state.
inline std::unique_ptr<TDataTable> Rich() {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(4, 5);
  t->SetComment("plants & <weeds> \"2024\"");
  const double col1[5] = {0.1, -0.0, 4.9406564584124654e-324, std::numeric_limits<double>::max(),
                          1.0 / 3.0};
  const double col4[5] = {std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN(), -2.5e-300, 123456789.125};
  t->SetMScaleType(2, TMScaleType::stNominal);
  t->SetNominalID(2, 0, "red");
  t->SetNominalID(2, 1, "Green");
  t->SetNominalID(2, 3, "bl\"ue<&>");
  t->SetMScaleType(3, TMScaleType::stOrdinal);
  t->SetNominalID(3, 2, "low, mid");
  t->SetNominalID(3, 150, "top");
  t->SetMScaleType(4, TMScaleType::stRatio);
  const int ord2[5] = {0, 1, 3, 1, 0};
  const int ord3[5] = {2, 150, 2, 150, 2};
  for (int32_t r = 1; r <= 5; ++r) {
    t->SetElem(1, r, col1[r - 1]);
    t->SetElem(2, r, ord2[r - 1]);
    t->SetElem(3, r, ord3[r - 1]);
    t->SetElem(4, r, col4[r - 1]);
  }
  t->SetCellState(1, 2, kCellImputed | kCellMark1);
  t->SetCellState(4, 5, kCellMark2 | 4);
  t->SetCellState(2, 4, kCellEmpty);
  t->SetElem(2, 4, 0);
  t->SetCellState(1, 5, kCellNoNumber);
  t->SetColName(1, "height, cm");
  t->SetColName(2, "colour \"x\"");
  t->SetColName(3,
                "Gr\xC3\xB6\xC3\x9F"
                "e\tlevel");
  t->SetColName(4, "#ratio");
  t->SetRowName(1, "plant 1");
  t->SetRowName(2, "two\nlines");
  t->SetRowName(3, "");
  t->SetRowName(4, "a<b>&c");
  t->SetRowName(5, " padded ");
  t->SetRowAttrib(1, INT32_MIN);
  t->SetRowAttrib(3, INT32_MAX);
  t->SetRowAttrib(5, -7);
  t->SetColAttrib(2, 42);
  t->SetColAttrib(4, -1);
  return t;
}

inline bool SameBits(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) ||
         std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// What ExpectSame compares.
struct TParts {
  bool Comment = true, ColAttrib = true, States = true, Types = true;
};

inline void ExpectSame(const TDataTable& a, const TDataTable& b, TParts P = {}) {
  ASSERT_EQ(a.GetNrOfColumns(), b.GetNrOfColumns());
  ASSERT_EQ(a.GetNrOfRows(), b.GetNrOfRows());
  ASSERT_EQ(b.GetNumericData()->GetNrOfColumns(), b.GetNrOfColumns());
  ASSERT_EQ(b.GetNumericData()->GetNrOfRows(), b.GetNrOfRows());
  if (P.Comment) {
    EXPECT_EQ(a.GetComment(), b.GetComment());
  }
  for (int32_t c = 1; c <= a.GetNrOfColumns(); ++c) {
    EXPECT_EQ(a.GetColName(c), b.GetColName(c)) << "column " << c;
    if (P.ColAttrib) {
      EXPECT_EQ(a.GetColAttrib(c), b.GetColAttrib(c)) << "column " << c;
    }
    if (P.Types) {
      EXPECT_EQ(a.GetMScaleType(c), b.GetMScaleType(c)) << "column " << c;
      for (int32_t k = 0; k < kMaxNominalIDs; ++k)
        EXPECT_EQ(a.GetNominalID(c, k), b.GetNominalID(c, k)) << "column " << c << " level " << k;
    }
    for (int32_t r = 1; r <= a.GetNrOfRows(); ++r) {
      const double va = a.GetNumericData()->GetVal(c, r), vb = b.GetNumericData()->GetVal(c, r);
      EXPECT_TRUE(SameBits(va, vb)) << "cell " << c << "," << r << ": " << va << " vs " << vb;
      if (P.States) {
        EXPECT_EQ(a.GetCellState(c, r), b.GetCellState(c, r)) << "cell " << c << "," << r;
      }
    }
  }
  for (int32_t r = 1; r <= a.GetNrOfRows(); ++r) {
    EXPECT_EQ(a.GetRowName(r), b.GetRowName(r)) << "row " << r;
    EXPECT_EQ(a.GetRowAttrib(r), b.GetRowAttrib(r)) << "row " << r;
  }
}

// Counts every event a table fires.
struct TEventLog {
  int Changes = 0, Resizes = 0;
  explicit TEventLog(TDataTable& t) {
    const auto one = [this](TObject*) { ++Changes; };
    t.OnChange = one;
    t.OnChangeSetup = one;
    t.OnChangeNames = one;
    t.OnChangeAttrib = one;
    t.OnChangeCellState = one;
    t.OnResize = [this](TObject*, int32_t, int32_t, int32_t, int32_t) { ++Resizes; };
  }
};

}  // namespace zel::dtfiles_test
