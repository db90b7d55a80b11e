#include "num/arrays/zel_openarrays.hpp"

namespace zel {

const char* ArrayStatusText(int32_t status) {
  switch (status) {
    case kArrayOk: return "success";
    case kArrayEmpty: return "an input array is empty";
    case kArrayBadRange:
      return "an index or range lies outside the array or is reversed, or the arrays are ragged "
             "or differ in size";
    default: return "unknown array status";
  }
}

const char* ArrayFileStatusText(int32_t status) {
  switch (status) {
    case kArrayFileOk: return "success";
    case kArrayFileEmpty: return "the array is empty";
    case kArrayFileBadShape:
      return "the array is ragged, or a dimension or the comment is too long";
    case kArrayFileCannotOpen: return "the file cannot be created or opened";
    case kArrayFileWriteFailed: return "writing the file failed (disk full or I/O error)";
    case kArrayFileNotArrayFile: return "the file is not an array file";
    case kArrayFileBadVersion: return "the array file has a version that cannot be read";
    case kArrayFileWrongType: return "the file holds another element type than the array";
    case kArrayFileWrongRank: return "the file holds an array of another rank";
    case kArrayFileDamaged: return "the array file is damaged or truncated";
    case kArrayFileNoMemory: return "not enough memory for the array in the file";
    default: return "unknown array file status";
  }
}

const char* FrequDistStatusText(int32_t status) {
  switch (status) {
    case kFrequDistOk: return "success";
    case kFrequDistBadIndex: return "an index lies outside the array, or the array is ragged";
    case kFrequDistReversedIndex: return "a high index lies below its low index";
    case kFrequDistBadLimits: return "the lower limit is not below the upper limit";
    case kFrequDistBadBinWidth: return "the bin width is not positive";
    case kFrequDistTooManyBins: return "the range needs more than 1000 bins";
    case kFrequDistMaskSize: return "the mask differs in size from the data";
    default: return "unknown frequency distribution status";
  }
}

const char* InvertStatusText(int32_t status) {
  switch (status) {
    case kInvertOk: return "success";
    case kInvertNotSquare: return "the matrix is empty, not square or ragged";
    case kInvertNoMemory: return "not enough memory for the inversion";
    case kInvertSingular: return "the matrix is singular or holds NaN or infinity";
    case kInvertAborted: return "the inversion was aborted";
    default: return "unknown inversion status";
  }
}

const char* HatStatusText(int32_t status) {
  switch (status) {
    case kHatOk: return "success";
    case kHatEmpty: return "the design matrix is empty";
    case kHatRaggedOrNoMemory:
      return "the design matrix is ragged, or there is not enough memory for the hat matrix";
    case kHatSingular:
      return "the design matrix holds NaN or infinity, or its columns are linearly dependent";
    case kHatAborted: return "the hat matrix calculation was aborted";
    default: return "unknown hat matrix status";
  }
}

const char* DiscretizeStatusText(int32_t status) {
  switch (status) {
    case kDiscretizeOk: return "success";
    case kDiscretizeFewLevels: return "fewer than 3 levels were asked for, or the array is empty";
    case kDiscretizeBadThresholds: return "the lower threshold is not below the upper threshold";
    case kDiscretizeRagged: return "the array is ragged";
    default: return "unknown discretization status";
  }
}

const char* LineCopyStatusText(int32_t status) {
  switch (status) {
    case kLineCopyOk: return "success";
    case kLineCopyEmpty: return "the source array is empty";
    case kLineCopyBadRange:
      return "the source array is ragged, or the element range is reversed or outside it";
    case kLineCopyBadIndex: return "the column or row lies outside the source array";
    case kLineCopyBadPos: return "the target position lies outside the destination";
    default: return "unknown column or row copy status";
  }
}

const char* LineWriteStatusText(int32_t status) {
  switch (status) {
    case kLineWriteOk: return "success";
    case kLineWriteBadRange: return "the source range is empty, reversed or outside the source";
    case kLineWriteBadDest:
      return "the column, row or start lies outside the destination, or it is empty or ragged";
    default: return "unknown column or row write status";
  }
}

const char* EdgeStatusText(int32_t status) {
  switch (status) {
    case kEdgeOk: return "success";
    case kEdgeEmpty: return "the array is empty";
    case kEdgeRaggedOrSkipped:
      return "the array is ragged, or a listed position lies outside it and was skipped";
    case kEdgeBadOp: return "the reduction is not one of the known operations";
    default: return "unknown edge vector status";
  }
}

const char* MaskShapeStatusText(int32_t status) {
  switch (status) {
    case kMaskShapeOk: return "success";
    case kMaskShapeBadParamCount: return "the shape has the wrong number of parameters";
    case kMaskShapeNegativeRadius: return "a radius is negative";
    case kMaskShapeBadKind: return "the shape kind is unknown";
    default: return "unknown mask shape status";
  }
}

const char* ArrayImageStatusText(int32_t status) {
  switch (status) {
    case kArrayImageOk: return "success";
    case kArrayImageBadExtension: return "the file name does not end in .bmp, .png or .jpg";
    case kArrayImageBadMagnification: return "the magnification lies outside 1 to 10";
    case kArrayImageBadArray: return "the array is empty, ragged or too large for an image";
    case kArrayImageWriteFailed: return "the image file could not be written";
    default: return "unknown array image status";
  }
}

const char* DecompositionStatusText(int32_t status) {
  switch (status) {
    case kDecompOk: return "success";
    case kDecompEmpty: return "the matrix is empty";
    case kDecompNotSquare: return "the matrix is not square or is ragged";
    case kDecompUnsuitable:
      return "the matrix cannot be decomposed (a zero pivot, not symmetric, or NaN or infinity)";
    case kDecompAborted: return "the decomposition was aborted";
    case kDecompNoConvergence: return "the decomposition did not converge";
    default: return "unknown decomposition status";
  }
}

const char* ResampleStatusText(int32_t status) {
  switch (status) {
    case kResampleOk: return "success";
    case kResampleBadColPercent: return "the column percentage selects no column or exceeds 100";
    case kResampleBadRowPercent: return "the row percentage selects no row or exceeds 100";
    case kResampleEmptySource: return "the source array is empty or ragged";
    case kResampleEmptyDest: return "the destination array is empty on entry";
    case kResampleEmptyNumbers: return "an array for the chosen numbers is empty on entry";
    case kResampleSelectionFailed: return "the random selection failed";
    default: return "unknown resampling status";
  }
}

const char* DistanceStatusText(int32_t status) {
  switch (status) {
    case kDistanceOk: return "success";
    case kDistanceEmpty: return "the array is empty";
    case kDistanceBadObject: return "the array is ragged or an object row lies outside it";
    case kDistanceBadColumn: return "a column index lies outside the array";
    case kDistanceReversedColumns: return "the last column lies before the first";
    case kDistanceBadMode: return "the distance mode is not supported here";
    default: return "unknown distance status";
  }
}

const char* FloodFillStatusText(int32_t status) {
  switch (status) {
    case kFloodFillSeedOutside: return "the seed cell lies outside the array";
    case kFloodFillSeedIsFill: return "the seed cell already holds the fill value";
    case kFloodFillRagged: return "the array is ragged";
    case kFloodFillNoMemory: return "not enough memory for the fill";
    default: return status >= 0 ? "the region was filled" : "unknown flood fill status";
  }
}

const char* RescaleStatusText(int32_t status) {
  switch (status) {
    case kRescaleOk: return "success";
    case kRescaleEmpty: return "the array is empty";
    case kRescaleBadRange: return "the range lies outside the array, or the array is ragged";
    case kRescaleNoScale: return "the values give no usable scale (constant or not finite)";
    case kRescaleBadMode: return "the rescaling mode is unknown";
    default: return "unknown rescaling status";
  }
}

const char* SquaredDiffsStatusText(int32_t status) {
  switch (status) {
    case kSquaredDiffsEmpty: return "an array or the column is empty";
    case kSquaredDiffsLengths: return "the arrays differ in length";
    case kSquaredDiffsBadColumn: return "the column index lies outside the array";
    default: return "unknown squared differences status";
  }
}

const char* MaskedStatusText(int32_t status) {
  switch (status) {
    case kMaskedBadMask: return "the mask differs in size from the data, or an array is ragged";
    case kMaskedEmptyData: return "the data array is empty";
    default: return "unknown masked array status";
  }
}

const char* PermuteStatusText(int32_t status) {
  switch (status) {
    case kArrayOk: return "success";
    case kArrayEmpty: return "the array is empty";
    case kArrayBadRange:
      return "the array is ragged, or the permutations do not match it in number or length";
    case kPermuteNotPermutation: return "a permutation does not hold each index exactly once";
    default: return "unknown permutation status";
  }
}

const char* RandomFillStatusText(int32_t status) {
  switch (status) {
    case kArrayOk: return "success";
    case kArrayEmpty: return "the array is empty";
    case kArrayBadRange: return "the array is ragged, or the range or spread is invalid";
    case kRandomFillSpanTooSmall: return "the range holds fewer distinct values than the array";
    case kRandomFillSpanTooLarge: return "the range holds more than 1 000 000 distinct values";
    default: return "unknown random fill status";
  }
}

const char* SortStatusText(int32_t status) {
  switch (status) {
    case kSortTooShort: return "there are too few elements";
    case kSortAbortedOrOutside:
      return "the sort was aborted, or the value lies outside the sorted array";
    default: return status >= 0 ? "success" : "unknown sort status";
  }
}

}  // namespace zel
