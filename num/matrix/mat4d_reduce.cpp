// TMat4D: the per-pixel reductions over layers and time slots (mean,
// standard deviation, minimum, maximum), on the calling thread or on
// workers that take blocks of adjacent columns from a shared counter.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
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
// columns, [c - Lo[0]][r - Lo[1]].
struct TJob {
  const double* Data;
  int64_t RowStride;    // elements between rows
  int64_t PlaneStride;  // between layers
  int64_t SlotStride;   // between time slots
  int32_t Lo[4];
  int32_t Hi[4];
  int32_t Kind;
  int32_t Width;  // columns per block
  TDouble2DArray* Res;

  int32_t Columns() const { return Hi[0] - Lo[0] + 1; }
  int32_t Blocks() const { return (Columns() + Width - 1) / Width; }
  int32_t BlockWidth(int32_t b) const { return std::min(Width, Columns() - b * Width); }
  const double* Run(int32_t x, int32_t y, int32_t z, int32_t t) const {
    return Data + (t - 1) * SlotStride + (z - 1) * PlaneStride + (y - 1) * RowStride + (x - 1);
  }
};

// Scratch of one thread: one accumulator per column of a block.
struct TScratch {
  std::vector<LD> Sum;
  std::vector<LD> Dev;
  std::vector<double> First;
  std::vector<uint8_t> Constant;
  explicit TScratch(int32_t w)
      : Sum(static_cast<size_t>(w)),
        Dev(static_cast<size_t>(w)),
        First(static_cast<size_t>(w)),
        Constant(static_cast<size_t>(w)) {}
};

// Computes the columns of block b. Every pixel runs over the layers (outer)
// and time slots (inner) in the same order whatever the block or thread, so
// the results do not depend on either.
void ReduceBlock(const TJob& J, int32_t b, TScratch& s) {
  const int32_t x0 = J.Lo[0] + b * J.Width;
  const auto w = static_cast<size_t>(J.BlockWidth(b));
  const LD n = static_cast<LD>(int64_t{J.Hi[2] - J.Lo[2] + 1} * (J.Hi[3] - J.Lo[3] + 1));
  LD* sum = s.Sum.data();
  for (int32_t y = J.Lo[1]; y <= J.Hi[1]; ++y) {
    const auto r = static_cast<size_t>(y - J.Lo[1]);
    auto store = [&](size_t i, double v) {
      (*J.Res)[static_cast<size_t>(x0 - J.Lo[0]) + i][r] = v;
    };
    switch (J.Kind) {
      case kMean:
      case kStdDev: {
        std::fill_n(sum, w, LD{0});
        const double* first = J.Run(x0, y, J.Lo[2], J.Lo[3]);
        std::copy_n(first, w, s.First.data());
        std::fill_n(s.Constant.data(), w, uint8_t{1});
        for (int32_t z = J.Lo[2]; z <= J.Hi[2]; ++z)
          for (int32_t t = J.Lo[3]; t <= J.Hi[3]; ++t) {
            const double* p = J.Run(x0, y, z, t);
            for (size_t i = 0; i < w; ++i) {
              sum[i] += p[i];
              s.Constant[i] &= static_cast<uint8_t>(p[i] == s.First[i]);
            }
          }
        if (J.Kind == kMean) {
          for (size_t i = 0; i < w; ++i) store(i, static_cast<double>(sum[i] / n));
          break;
        }
        // The mean first, then the centred sum: never Sum x^2 / n - mean^2.
        LD* dev = s.Dev.data();
        for (size_t i = 0; i < w; ++i) {
          sum[i] /= n;
          dev[i] = 0;
        }
        for (int32_t z = J.Lo[2]; z <= J.Hi[2]; ++z)
          for (int32_t t = J.Lo[3]; t <= J.Hi[3]; ++t) {
            const double* p = J.Run(x0, y, z, t);
            for (size_t i = 0; i < w; ++i) {
              const LD d = p[i] - sum[i];
              dev[i] += d * d;
            }
          }
        // Constant values have no spread, whatever the rounding of the mean.
        for (size_t i = 0; i < w; ++i)
          store(i, s.Constant[i] != 0 ? 0.0 : static_cast<double>(std::sqrt(dev[i] / n)));
        break;
      }
      default: {
        const bool isMin = J.Kind == kMinimum;
        double* ext = s.First.data();
        // +-uc_MaxReal, the largest double, as the start value.
        std::fill_n(
            ext, w,
            isMin ? std::numeric_limits<double>::max() : std::numeric_limits<double>::lowest());
        for (int32_t z = J.Lo[2]; z <= J.Hi[2]; ++z)
          for (int32_t t = J.Lo[3]; t <= J.Hi[3]; ++t) {
            const double* p = J.Run(x0, y, z, t);
            // A NaN is taken and then kept: no comparison displaces it.
            if (isMin) {
              for (size_t i = 0; i < w; ++i)
                ext[i] = (p[i] < ext[i] || p[i] != p[i]) ? p[i] : ext[i];
            } else {
              for (size_t i = 0; i < w; ++i)
                ext[i] = (p[i] > ext[i] || p[i] != p[i]) ? p[i] : ext[i];
            }
          }
        for (size_t i = 0; i < w; ++i) store(i, ext[i]);
        break;
      }
    }
  }
}

// Runs the blocks on nThreads workers; false when AbortMathProc stopped
// the run. The calling thread reports progress and serves the hook. Every
// path out, exceptions of MathFeedBackProc included, joins all workers
// first. Throws std::bad_alloc (after the join) when a worker ran out of
// memory.
bool RunThreaded(const TJob& J, int32_t nThreads) {
  const int32_t blocks = J.Blocks();
  std::atomic<int32_t> next{0};
  std::atomic<bool> stop{false};
  std::atomic<bool> outOfMemory{false};
  std::mutex mu;
  std::condition_variable cv;
  int32_t finished = 0;  // columns, guarded by mu
  auto work = [&]() {
    try {
      TScratch scratch(J.Width);
      while (!stop.load(std::memory_order_relaxed)) {
        const int32_t b = next.fetch_add(1);
        if (b >= blocks) break;
        ReduceBlock(J, b, scratch);
        {
          const std::lock_guard<std::mutex> lock(mu);
          finished += J.BlockWidth(b);
        }
        cv.notify_one();
      }
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
      stop = true;
      cv.notify_one();
    }
  };
  std::vector<std::thread> workers;
  struct Joiner {
    std::vector<std::thread>& w;
    std::atomic<bool>& stop;
    ~Joiner() {
      stop = true;
      for (auto& t : w)
        if (t.joinable()) t.join();
    }
  } joiner{workers, stop};
  workers.reserve(static_cast<size_t>(nThreads));
  for (int32_t k = 0; k < nThreads; ++k) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // the threads that did start share all blocks
    }
  }
  if (workers.empty()) work();  // no thread could be had: do it here

  const int32_t columns = J.Columns();
  int32_t reported = 0;
  for (;;) {
    int32_t done = 0;
    {
      std::unique_lock<std::mutex> lock(mu);
      cv.wait_for(lock, std::chrono::milliseconds(10),
                  [&] { return finished != reported || outOfMemory.load(); });
      done = finished;
    }
    if (outOfMemory.load()) throw std::bad_alloc();  // the joiner joins first
    if (done == reported && MathFeedBackProc) MathFeedBackProc(ProcStat);
    for (; reported < done; ++reported) ReportProgress();
    // Checked before completion, so that an abort asked for by the hook is
    // honoured however fast the workers were.
    if (AbortMathProc.load()) return false;  // the joiner stops and joins
    if (reported == columns) break;
  }
  if (MathFeedBackProc) MathFeedBackProc(ProcStat);
  return true;
}

// Stores the result into DestMat as one change: its handlers are held back
// while the storage is replaced, then OnChange (and OnResize when the size
// changed) fire once. The handlers are restored on every path.
void StoreResult(TMatrix* DestMat, const TDouble2DArray& Res) {
  const auto nc = static_cast<int32_t>(Res.size());
  const auto nr = static_cast<int32_t>(Res.front().size());
  const bool resized = DestMat->GetNrOfColumns() != nc || DestMat->GetNrOfRows() != nr;
  {
    struct Detached {
      TMatrix* m;
      TNotifyEvent change;
      TNotifyEvent resize;
      ~Detached() {
        m->OnChange = std::move(change);
        m->OnResize = std::move(resize);
      }
    } detached{DestMat, std::exchange(DestMat->OnChange, nullptr),
               std::exchange(DestMat->OnResize, nullptr)};
    DestMat->Resize(nc, nr);
    DestMat->CopyFromArray(Res, 0, 0, 0, 0, 1, 1);
  }
  DestMat->Changed();
  if (resized) DestMat->Resized();
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
  // Several blocks per thread keep the threads busy to the end; blocks of
  // up to 64 columns read whole cache lines of every row.
  job.Width = std::clamp((nc + 8 * nt - 1) / (8 * nt), 1, 64);
  const int32_t workers = std::min(nt, job.Blocks());
  if (AbortMathProc.load()) return false;
  try {
    if (workers == 1) {
      TScratch scratch(job.Width);
      for (int32_t b = 0; b < job.Blocks(); ++b) {
        ReduceBlock(job, b, scratch);
        for (int32_t i = 0; i < job.BlockWidth(b); ++i) ReportProgress();
        if (AbortMathProc.load()) return false;
      }
      if (MathFeedBackProc) MathFeedBackProc(ProcStat);
    } else if (!RunThreaded(job, workers)) {
      return false;
    }
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  StoreResult(DestMat, res);
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
