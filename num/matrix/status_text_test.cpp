#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "num/arrays/zel_openarrays.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

// Every code of a family must read as its own non-empty sentence, and none
// may fall through to the text for unknown codes.
void ExpectDistinctSentences(const char* (*text)(int32_t), const std::vector<int32_t>& codes) {
  const std::string fallback = text(1);
  std::set<std::string> seen;
  for (int32_t code : codes) {
    const std::string s = text(code);
    EXPECT_FALSE(s.empty()) << code;
    EXPECT_NE(s, fallback) << code;
    EXPECT_TRUE(seen.insert(s).second) << code << ": " << s;
  }
}

TEST(MatrixStatusText, CopyCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> from{kMatCopyFromOk,         kMatCopyFromEmpty,   kMatCopyFromRagged,
                                  kMatCopyFromBadElement, kMatCopyFromOutside, kMatCopyFromResized};
  EXPECT_EQ(from, (std::vector<int32_t>{0, -1, -2, -4, -5, -6}));
  ExpectDistinctSentences(MatrixCopyFromStatusText, from);
  EXPECT_EQ(std::string(MatrixCopyFromStatusText(-3)), MatrixCopyFromStatusText(1));  // unused

  const std::vector<int32_t> to{kMatCopyToOk, kMatCopyToBadDest, kMatCopyToColsCorrected,
                                kMatCopyToRowsCorrected, kMatCopyToOutside};
  EXPECT_EQ(to, (std::vector<int32_t>{0, -1, -2, -3, -4}));
  ExpectDistinctSentences(MatrixCopyToStatusText, to);
}

TEST(MatrixStatusText, HatCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> codes{kMatHatOk,       kMatHatNoTarget, kMatHatNoMemory,
                                   kMatHatSingular, kMatHatAborted,  kMatHatResized};
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(MatrixHatStatusText, codes);
  // The matrix form passes the array form's codes through unchanged.
  EXPECT_EQ(kMatHatNoMemory, kHatRaggedOrNoMemory);
  EXPECT_EQ(kMatHatSingular, kHatSingular);
  EXPECT_EQ(kMatHatAborted, kHatAborted);
}

TEST(MatrixStatusText, DuplicateCodesKeepTheirValuesAndHaveOwnSentences) {
  EXPECT_EQ(kMatDuplicateOk, 0);
  EXPECT_EQ(kMatDuplicateEmptyDest, -1);
  ExpectDistinctSentences(MatrixDuplicateStatusText, {kMatDuplicateOk, kMatDuplicateEmptyDest});
}

TEST(MatrixStatusText, EdgeCodesKeepTheirValuesAndHaveOwnSentences) {
  EXPECT_EQ(kMatEdgeOk, 0);
  EXPECT_EQ(kMatEdgeSkipped, -2);
  EXPECT_EQ(kMatEdgeNoDest, -3);
  EXPECT_EQ(kMatEdgeUnallocated, -1);
  ExpectDistinctSentences(MatrixEdgeStatusText,
                          {kMatEdgeOk, kMatEdgeUnallocated, kMatEdgeSkipped, kMatEdgeNoDest});
}

TEST(MatrixStatusText, DistMatCodesKeepTheirValuesAndMatchTheRoutine) {
  EXPECT_EQ(kMatDistMatOk, 0);
  EXPECT_EQ(kMatDistMatBadTarget, -1);
  EXPECT_EQ(kMatDistMatWrongSize, -2);
  ExpectDistinctSentences(MatrixDistMatStatusText,
                          {kMatDistMatOk, kMatDistMatBadTarget, kMatDistMatWrongSize});
  TMatrix a(nullptr), d(nullptr);
  a.Resize(2, 3);
  EXPECT_EQ(a.CalcDistMat(TDistMode::dmEuclid, nullptr), kMatDistMatBadTarget);
  d.Resize(2, 2);
  EXPECT_EQ(a.CalcDistMat(TDistMode::dmEuclid, &d), kMatDistMatWrongSize);
  d.Resize(3, 3);
  EXPECT_EQ(a.CalcDistMat(TDistMode::dmEuclid, &d), kMatDistMatOk);
}

TEST(MatrixStatusText, ResampleCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> codes{
      kMatResampleOk,       kMatResampleBadColPercent, kMatResampleBadRowPercent,
      kMatResampleNoSource, kMatResampleTooMany,       kMatResampleEmptyNumbers,
      kMatResampleResized};
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(MatrixResampleStatusText, codes);
}

}  // namespace
}  // namespace zel
