#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "num/arrays/zel_openarrays.hpp"

namespace zel {
namespace {

// Every code of a family must read as its own non-empty sentence, and none
// may fall through to the text for unknown codes.
void ExpectDistinctSentences(const char* (*text)(int32_t), const std::vector<int32_t>& codes,
                             int32_t unknown) {
  const std::string fallback = text(unknown);
  EXPECT_FALSE(fallback.empty());
  std::set<std::string> seen;
  for (int32_t code : codes) {
    const std::string s = text(code);
    EXPECT_FALSE(s.empty()) << code;
    EXPECT_NE(s, fallback) << code;
    EXPECT_TRUE(seen.insert(s).second) << code << ": " << s;
  }
  EXPECT_EQ(text(1), fallback);
}

TEST(StatusText, GeneralCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> codes{kArrayOk, kArrayEmpty, kArrayBadRange};
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(ArrayStatusText, codes, -3);
}

TEST(StatusText, ArrayFileCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> codes{
      kArrayFileOk,          kArrayFileEmpty,        kArrayFileBadShape,   kArrayFileCannotOpen,
      kArrayFileWriteFailed, kArrayFileNotArrayFile, kArrayFileBadVersion, kArrayFileWrongType,
      kArrayFileWrongRank,   kArrayFileDamaged,      kArrayFileNoMemory};
  // Callers compare against the numbers too: the values must not move.
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(ArrayFileStatusText, codes, -11);
}

TEST(StatusText, FrequDistAndInvertCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> freq{
      kFrequDistOk,          kFrequDistBadIndex,    kFrequDistReversedIndex, kFrequDistBadLimits,
      kFrequDistBadBinWidth, kFrequDistTooManyBins, kFrequDistMaskSize};
  for (size_t i = 0; i < freq.size(); ++i) EXPECT_EQ(freq[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(FrequDistStatusText, freq, -7);

  const std::vector<int32_t> inv{kInvertOk, kInvertNotSquare, kInvertNoMemory, kInvertSingular,
                                 kInvertAborted};
  for (size_t i = 0; i < inv.size(); ++i) EXPECT_EQ(inv[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(InvertStatusText, inv, -5);
}

TEST(StatusText, HatCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> hat{kHatOk, kHatEmpty, kHatRaggedOrNoMemory, kHatSingular,
                                 kHatAborted};
  for (size_t i = 0; i < hat.size(); ++i) EXPECT_EQ(hat[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(HatStatusText, hat, -5);
  // -2 stands for two causes; its sentence must name both.
  const std::string two = HatStatusText(kHatRaggedOrNoMemory);
  EXPECT_NE(two.find("ragged"), std::string::npos);
  EXPECT_NE(two.find("memory"), std::string::npos);
}

TEST(StatusText, DiscretizeCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> codes{kDiscretizeOk, kDiscretizeFewLevels, kDiscretizeBadThresholds,
                                   kDiscretizeRagged};
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(DiscretizeStatusText, codes, -4);
}

TEST(StatusText, LineCopyAndWriteCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> copy{kLineCopyOk, kLineCopyEmpty, kLineCopyBadRange, kLineCopyBadIndex,
                                  kLineCopyBadPos};
  for (size_t i = 0; i < copy.size(); ++i) EXPECT_EQ(copy[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(LineCopyStatusText, copy, -5);

  const std::vector<int32_t> write{kLineWriteOk, kLineWriteBadRange, kLineWriteBadDest};
  for (size_t i = 0; i < write.size(); ++i) EXPECT_EQ(write[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(LineWriteStatusText, write, -3);
}

TEST(StatusText, EdgeCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> codes{kEdgeOk, kEdgeEmpty, kEdgeRaggedOrSkipped, kEdgeBadOp};
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(EdgeStatusText, codes, -4);
  const std::string two = EdgeStatusText(kEdgeRaggedOrSkipped);
  EXPECT_NE(two.find("ragged"), std::string::npos);
  EXPECT_NE(two.find("skipped"), std::string::npos);
}

TEST(StatusText, MaskShapeCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> codes{kMaskShapeOk, kMaskShapeBadParamCount, kMaskShapeNegativeRadius,
                                   kMaskShapeBadKind};
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(MaskShapeStatusText, codes, -4);
}

TEST(StatusText, ImageAndDecompositionCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> image{kArrayImageOk, kArrayImageBadExtension,
                                   kArrayImageBadMagnification, kArrayImageBadArray,
                                   kArrayImageWriteFailed};
  for (size_t i = 0; i < image.size(); ++i) EXPECT_EQ(image[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(ArrayImageStatusText, image, -5);

  const std::vector<int32_t> decomp{kDecompOk,         kDecompEmpty,   kDecompNotSquare,
                                    kDecompUnsuitable, kDecompAborted, kDecompNoConvergence};
  for (size_t i = 0; i < decomp.size(); ++i) EXPECT_EQ(decomp[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(DecompositionStatusText, decomp, -6);
}

TEST(StatusText, ResampleCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> codes{
      kResampleOk,        kResampleBadColPercent, kResampleBadRowPercent,  kResampleEmptySource,
      kResampleEmptyDest, kResampleEmptyNumbers,  kResampleSelectionFailed};
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(ResampleStatusText, codes, -7);
}

TEST(StatusText, DistanceAndFloodFillCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> dist{kDistanceOk,        kDistanceEmpty,           kDistanceBadObject,
                                  kDistanceBadColumn, kDistanceReversedColumns, kDistanceBadMode};
  for (size_t i = 0; i < dist.size(); ++i) EXPECT_EQ(dist[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(DistanceStatusText, dist, -6);

  // A flood fill returns its cell count on success: every count reads alike.
  const std::vector<int32_t> fill{0, kFloodFillSeedOutside, kFloodFillSeedIsFill, kFloodFillRagged,
                                  kFloodFillNoMemory};
  for (size_t i = 0; i < fill.size(); ++i) EXPECT_EQ(fill[i], -static_cast<int32_t>(i));
  const std::string unknown = FloodFillStatusText(-5);
  std::set<std::string> seen;
  for (int32_t code : fill) {
    const std::string s = FloodFillStatusText(code);
    EXPECT_FALSE(s.empty()) << code;
    EXPECT_NE(s, unknown) << code;
    EXPECT_TRUE(seen.insert(s).second) << code;
  }
  EXPECT_EQ(std::string(FloodFillStatusText(18)), FloodFillStatusText(0));
}

TEST(StatusText, RescaleCodesKeepTheirValuesAndHaveOwnSentences) {
  const std::vector<int32_t> codes{kRescaleOk, kRescaleEmpty, kRescaleBadRange, kRescaleNoScale,
                                   kRescaleBadMode};
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], -static_cast<int32_t>(i));
  ExpectDistinctSentences(RescaleStatusText, codes, -5);
}

TEST(StatusText, OwnCodesOfSingleRoutinesKeepTheirValuesAndMatchTheRoutines) {
  EXPECT_EQ(kSquaredDiffsEmpty, -1);
  EXPECT_EQ(kSquaredDiffsLengths, -2);
  EXPECT_EQ(kSquaredDiffsBadColumn, -3);
  ExpectDistinctSentences(SquaredDiffsStatusText,
                          {kSquaredDiffsEmpty, kSquaredDiffsLengths, kSquaredDiffsBadColumn}, 0);
  EXPECT_EQ(kMaskedBadMask, -1);
  EXPECT_EQ(kMaskedEmptyData, -2);
  ExpectDistinctSentences(MaskedStatusText, {kMaskedBadMask, kMaskedEmptyData}, -3);
  EXPECT_EQ(kPermuteNotPermutation, -3);
  ExpectDistinctSentences(PermuteStatusText,
                          {kArrayOk, kArrayEmpty, kArrayBadRange, kPermuteNotPermutation}, -4);
  EXPECT_EQ(kRandomFillSpanTooSmall, -3);
  EXPECT_EQ(kRandomFillSpanTooLarge, -4);
  ExpectDistinctSentences(
      RandomFillStatusText,
      {kArrayOk, kArrayEmpty, kArrayBadRange, kRandomFillSpanTooSmall, kRandomFillSpanTooLarge},
      -5);

  // The routines return exactly these names.
  const TDoubleArray a{1, 2, 3};
  EXPECT_EQ(SumOfSquaredDiffs(a, TDoubleArray{1, 2}), kSquaredDiffsLengths);
  EXPECT_EQ(SumOfSquaredDiffs(a, TDouble2DArray{{1, 2, 3}}, 1), kSquaredDiffsBadColumn);
  double sum = 1;
  EXPECT_EQ(SumArrayMasked(TDouble2DArray{}, TBool2DArray{}, sum), kMaskedEmptyData);
  EXPECT_EQ(SumArrayMasked(TDouble2DArray{{1, 2}}, TBool2DArray{{0}}, sum), kMaskedBadMask);
  TDouble2DArray grid{{1, 2}, {3, 4}}, out;
  EXPECT_EQ(PermuteArray(grid, TInt2DArray{{0, 0}}, TApplyColRow::acrColumns, false, out),
            kPermuteNotPermutation);
  TIntArray distinct(5);
  EXPECT_EQ(FillRandomUniform(distinct, 1, 4, false), kRandomFillSpanTooSmall);
  EXPECT_EQ(FillRandomUniform(distinct, 0, 2000000, false), kRandomFillSpanTooLarge);
}

TEST(StatusText, SortCodesMatchTheRoutines) {
  EXPECT_EQ(kSortTooShort, -1);
  EXPECT_EQ(kSortAbortedOrOutside, -2);
  EXPECT_NE(std::string(SortStatusText(kSortTooShort)), SortStatusText(kSortAbortedOrOutside));
  EXPECT_EQ(std::string(SortStatusText(-3)), "unknown sort status");
  TDoubleArray one{1};
  TIntArray index;
  EXPECT_EQ(SortArray(true, one, index), kSortTooShort);
  EXPECT_EQ(FindInSortedArray(9, TDoubleArray{1, 2, 3}, true), kSortAbortedOrOutside);
  TIntArray single{4};
  EXPECT_EQ(SortAndRemoveDuplicates(single, true), kSortTooShort);
}

TEST(StatusText, RealFailuresMapToTheirSentence) {
  TDoubleArray a;
  std::string comment;
  EXPECT_EQ(std::string(ArrayFileStatusText(LoadArray("/nonexistent/dir/x.arr", a, comment))),
            ArrayFileStatusText(kArrayFileCannotOpen));
  TDouble2DArray singular{{1, 2}, {2, 4}};
  EXPECT_EQ(std::string(InvertStatusText(InvertArray(singular))),
            "the matrix is singular or holds NaN or infinity");
}

}  // namespace
}  // namespace zel
