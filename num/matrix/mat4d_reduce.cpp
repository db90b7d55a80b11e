// TMat4D: the per-pixel reductions over layers and time slots (mean,
// standard deviation, minimum, maximum), on the calling thread or on
// workers that take blocks of adjacent columns from a shared counter.
#include <algorithm>
#include <cmath>
#include <memory>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "core/zel_system.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

namespace {

using LD = long double;

enum TKind : int32_t { kMean = 0, kStdDev = 1, kMinimum = 2, kMaximum = 3 };

// One reduction: the source, its box (1-based inclusive) and the result
// columns, [c - Lo[0]][r - Lo[1]]. The work comes in blocks of up to Width
// adjacent columns by Height adjacent rows; a block reads every row piece
// it needs as one contiguous run (whole rows of a layer when the range is
// at most Width columns wide), so memory is read in long streams.
struct TJob {
  const double* Data;
  int64_t RowStride;    // elements between rows
  int64_t PlaneStride;  // between layers
  int64_t SlotStride;   // between time slots
  int32_t Lo[4];
  int32_t Hi[4];
  int32_t Kind;
  int32_t Width;   // columns per block
  int32_t Height;  // rows per block
  TDouble2DArray* Res;

  int32_t Columns() const { return Hi[0] - Lo[0] + 1; }
  int32_t Rows() const { return Hi[1] - Lo[1] + 1; }
  int32_t BlocksAcross() const { return (Columns() + Width - 1) / Width; }
  int32_t Blocks() const { return BlocksAcross() * ((Rows() + Height - 1) / Height); }
  const double* Run(int32_t x, int32_t y, int32_t z, int32_t t) const {
    return Data + (t - 1) * SlotStride + (z - 1) * PlaneStride + (y - 1) * RowStride + (x - 1);
  }
};

// Scratch of one thread: one accumulator per pixel of a block.
struct TScratch {
  std::vector<LD> Sum;
  std::vector<LD> Dev;
  std::vector<double> First;
  std::vector<uint8_t> Constant;
  explicit TScratch(const TJob& J) {
    const auto n = static_cast<size_t>(J.Width) * static_cast<size_t>(J.Height);
    Sum.resize(n);
    Dev.resize(n);
    First.resize(n);
    Constant.resize(n);
  }
};

// Calls f(q, m, acc) for the layers (outer) and time slots (inner) of the
// ranges in groups of up to kGroup, for every row yy of the block: q[0..m)
// are the row pieces of w source values of the group's slices in order,
// acc the block's accumulators of that row. A kernel adds a group's values
// one after the other to a running value held in a register, so that the
// order of the additions is that of one slice at a time while an 80-bit
// accumulator is loaded and stored once per group, not once per value.
constexpr int32_t kGroup = 8;

template <class A, class F>
void ForEachSlice(const TJob& J, int32_t x0, int32_t y0, int32_t h, size_t w, A* acc, F&& f) {
  const double* first[kGroup];
  int32_t m = 0;
  auto flush = [&]() {
    const double* q[kGroup];
    for (int32_t yy = 0; yy < h; ++yy) {
      for (int32_t k = 0; k < m; ++k) q[k] = first[k] + yy * J.RowStride;
      f(q, m, acc + yy * w);
    }
    m = 0;
  };
  for (int32_t z = J.Lo[2]; z <= J.Hi[2]; ++z)
    for (int32_t t = J.Lo[3]; t <= J.Hi[3]; ++t) {
      first[m++] = J.Run(x0, y0, z, t);
      if (m == kGroup) flush();
    }
  if (m > 0) flush();
}

// Computes the pixels of block b. Every pixel runs over the layers (outer)
// and time slots (inner) in the same order whatever the block or thread, so
// the results do not depend on either.
void ReduceBlock(const TJob& J, int32_t b, TScratch& s) {
  const int32_t x0 = J.Lo[0] + (b % J.BlocksAcross()) * J.Width;
  const int32_t y0 = J.Lo[1] + (b / J.BlocksAcross()) * J.Height;
  const auto w = static_cast<size_t>(std::min(J.Width, J.Hi[0] - x0 + 1));
  const int32_t h = std::min(J.Height, J.Hi[1] - y0 + 1);
  const size_t cells = w * static_cast<size_t>(h);
  const LD n = static_cast<LD>(int64_t{J.Hi[2] - J.Lo[2] + 1} * (J.Hi[3] - J.Lo[3] + 1));
  auto store = [&](const auto& value) {
    for (int32_t yy = 0; yy < h; ++yy)
      for (size_t i = 0; i < w; ++i)
        (*J.Res)[static_cast<size_t>(x0 - J.Lo[0]) + i][static_cast<size_t>(y0 - J.Lo[1] + yy)] =
            value(yy * w + i);
  };
  switch (J.Kind) {
    case kMean:
    case kStdDev: {
      LD* sum = s.Sum.data();
      double* first = s.First.data();
      uint8_t* constant = s.Constant.data();
      std::fill_n(sum, cells, LD{0});
      std::fill_n(constant, cells, uint8_t{1});
      for (int32_t yy = 0; yy < h; ++yy)
        std::copy_n(J.Run(x0, y0 + yy, J.Lo[2], J.Lo[3]), w, first + yy * w);
      ForEachSlice(J, x0, y0, h, w, sum, [&](const double* const* q, int32_t m, LD* acc) {
        const size_t row = static_cast<size_t>(acc - sum);
        for (size_t i = 0; i < w; ++i) {
          LD v = acc[i];
          const double f = first[row + i];
          bool same = constant[row + i] != 0;
          for (int32_t k = 0; k < m; ++k) {
            v += q[k][i];
            same = same && q[k][i] == f;
          }
          acc[i] = v;
          constant[row + i] = same ? 1 : 0;
        }
      });
      if (J.Kind == kMean) {
        store([&](size_t k) { return static_cast<double>(sum[k] / n); });
        break;
      }
      // The mean first, then the centred sum: never Sum x^2 / n - mean^2.
      LD* dev = s.Dev.data();
      for (size_t k = 0; k < cells; ++k) {
        sum[k] /= n;
        dev[k] = 0;
      }
      ForEachSlice(J, x0, y0, h, w, dev, [&](const double* const* q, int32_t m, LD* acc) {
        const LD* mean = sum + (acc - dev);
        for (size_t i = 0; i < w; ++i) {
          LD v = acc[i];
          const LD mu = mean[i];
          for (int32_t k = 0; k < m; ++k) {
            const LD d = q[k][i] - mu;
            v += d * d;
          }
          acc[i] = v;
        }
      });
      // Constant values have no spread, whatever the rounding of the mean.
      store([&](size_t k) {
        return constant[k] != 0 ? 0.0 : static_cast<double>(std::sqrt(dev[k] / n));
      });
      break;
    }
    default: {
      double* ext = s.First.data();
      // A NaN is taken and then kept: no comparison displaces it.
      auto take = [&](auto better) {
        ForEachSlice(J, x0, y0, h, w, ext, [&](const double* const* q, int32_t m, double* acc) {
          for (size_t i = 0; i < w; ++i) {
            double v = acc[i];
            for (int32_t k = 0; k < m; ++k) {
              const double x = q[k][i];
              v = (better(x, v) || x != x) ? x : v;
            }
            acc[i] = v;
          }
        });
      };
      // +-uc_MaxReal, the largest double, as the start value.
      if (J.Kind == kMinimum) {
        std::fill_n(ext, cells, std::numeric_limits<double>::max());
        take([](double a, double b) { return a < b; });
      } else {
        std::fill_n(ext, cells, std::numeric_limits<double>::lowest());
        take([](double a, double b) { return a > b; });
      }
      store([&](size_t k) { return ext[k]; });
      break;
    }
  }
}

// Runs the blocks on the workers (core's ticket runner: progress, the hook
// and abort on the calling thread); false when AbortMathProc stopped the run.
bool RunThreaded(const TJob& J, int32_t nThreads) {
  return RunTicketsOnWorkers(J.Blocks(), nThreads, [&J]() -> TTicketWork {
    auto scratch = std::make_shared<TScratch>(J);
    return [&J, scratch](int32_t b) -> int64_t {
      ReduceBlock(J, b, *scratch);
      return 1;
    };
  });
}

}  // namespace

bool TMat4D::ReduceLayers(int32_t Kind, TMatrix* DestMat, int32_t LowCol, int32_t HighCol,
                          int32_t LowRow, int32_t HighRow, int32_t LowLayer, int32_t HighLayer,
                          int32_t LowTimeSlot, int32_t HighTimeSlot, int32_t NThreads) const {
  if (DestMat == nullptr) return false;
  TJob job{};
  ValidBox(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, job.Lo,
           job.Hi);
  job.Data = Mat.data();
  job.RowStride = FStride[1];
  job.PlaneStride = FStride[2];
  job.SlotStride = FStride[3];
  job.Kind = Kind;
  const int32_t nc = job.Columns();
  const int32_t nr = job.Hi[1] - job.Lo[1] + 1;
  TDouble2DArray res;
  try {
    res.assign(static_cast<size_t>(nc), TDoubleArray(static_cast<size_t>(nr), 0.0));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  job.Res = &res;
  const int32_t nt = std::clamp(NThreads, 1, ProcessorCount());
  // Blocks of about 2048 pixels keep their accumulators in the first-level
  // cache and are short enough for a timely abort: whole rows of up to 512
  // columns, a few rows deep, and at least 16 blocks where the range
  // allows, enough to share among the threads. The cut does not depend on
  // the thread count, so neither do the progress steps.
  job.Width = std::min(nc, 512);
  job.Height = std::clamp(2048 / job.Width, 1, nr);
  while (job.Height > 1 && job.Blocks() < 16) job.Height = (job.Height + 1) / 2;
  const int32_t workers = std::min(nt, job.Blocks());
  if (AbortMathProc.load()) return false;
  try {
    if (workers == 1) {
      TScratch scratch(job);
      for (int32_t b = 0; b < job.Blocks(); ++b) {
        ReduceBlock(job, b, scratch);
        ReportProgress();
        if (AbortMathProc.load()) return false;
      }
      if (MathFeedBackProc) MathFeedBackProc(ProcStat);
    } else if (!RunThreaded(job, workers)) {
      return false;
    }
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  DestMat->ReplaceData(std::move(res));
  return true;
}

#define ZEL_MAT4D_REDUCTION(Name, Kind)                                                        \
  bool TMat4D::Name(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,         \
                    int32_t HighRow, int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot, \
                    int32_t HighTimeSlot, int32_t NThreads) const {                            \
    return ReduceLayers(Kind, DestMat, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,  \
                        LowTimeSlot, HighTimeSlot, NThreads);                                  \
  }                                                                                            \
  bool TMat4D::Name(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,         \
                    int32_t HighRow, int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot, \
                    int32_t HighTimeSlot) const {                                              \
    return ReduceLayers(Kind, DestMat, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,  \
                        LowTimeSlot, HighTimeSlot, ProcessorCount());                          \
  }

ZEL_MAT4D_REDUCTION(MeanOfLayersToMatrix, kMean)
ZEL_MAT4D_REDUCTION(StdDevOfLayersToMatrix, kStdDev)
ZEL_MAT4D_REDUCTION(MinimumOfLayersToMatrix, kMinimum)
ZEL_MAT4D_REDUCTION(MaximumOfLayersToMatrix, kMaximum)

#undef ZEL_MAT4D_REDUCTION

}  // namespace zel
