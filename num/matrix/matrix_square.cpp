// TMatrix::Square: the cross-product matrix A^T A / Norm, on one thread or
// on a small pool of workers that take blocks of columns from a shared
// counter.
#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "core/zel_system.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

namespace {

// Work comes in blocks of result columns; block b covers columns
// b * width .. b * width + width - 1 and computes their cells (i, j) for
// every i below the block's end through the packed product kernel, whose
// every cell is the plain double sum over the rows in increasing order. So
// neither the blocking nor the thread that computes a block changes a bit
// of the result.
struct TBlocks {
  int32_t n;      // columns of the matrix
  int32_t width;  // columns per block

  // 48 columns (a multiple of the kernel's 6), fewer for very long columns
  // so that one block stays short enough for a timely abort and progress.
  TBlocks(int32_t cols, int64_t rows) : n(cols), width(48) {
    constexpr int64_t kWorkPerBlock = int64_t{1} << 27;  // multiply-adds
    const int64_t perColumn = std::max<int64_t>(1, int64_t{cols} * rows);
    width = static_cast<int32_t>(std::clamp<int64_t>(kWorkPerBlock / perColumn / 6 * 6, 6, 48));
  }

  int32_t Count() const { return (n + width - 1) / width; }
  // Blocks are handed out widest triangle first, so the last ones taken
  // are the cheap ones and the threads finish together.
  int32_t OfTicket(int32_t ticket) const { return Count() - 1 - ticket; }
  int32_t First(int32_t b) const { return b * width; }
  int32_t Width(int32_t b) const { return std::min(width, n - b * width); }
};

// Cells (i, j) and (j, i), i <= j, for the columns j of block b, divided by
// norm. The block's rows 0 .. end - 1 are computed into its own columns of
// res (zero on entry) and mirrored afterwards; the mirror writes only cells
// of rows inside this block, which no other block touches.
void SquareBlock(const TDouble2DArray& a, TDouble2DArray& res, const TBlocks& blocks, int32_t b,
                 double norm, std::vector<const double*>& src, std::vector<double*>& dst,
                 matrix_detail::TGemmBuffers& buffers) {
  const auto rows = static_cast<int64_t>(a.front().size());
  const int32_t j0 = blocks.First(b);
  const int32_t w = blocks.Width(b);
  const int32_t end = j0 + w;
  src.resize(static_cast<size_t>(end));
  for (int32_t c = 0; c < end; ++c) src[static_cast<size_t>(c)] = a[static_cast<size_t>(c)].data();
  dst.resize(static_cast<size_t>(w));
  for (int32_t j = 0; j < w; ++j)
    dst[static_cast<size_t>(j)] = res[static_cast<size_t>(j0 + j)].data();
  // res(i, j) = Sum_r a(r, i) a(r, j): A^T times the block's columns.
  matrix_detail::Gemm(end, w, rows, src.data(), true, src.data() + j0, false, dst.data(),
                      matrix_detail::TGemmPath::gpAuto, &buffers);
  for (int32_t j = j0; j < end; ++j) {
    double* col = res[static_cast<size_t>(j)].data();
    for (int32_t i = 0; i <= j; ++i) {
      const double v = col[i] / norm;
      col[i] = v;
      res[static_cast<size_t>(i)][static_cast<size_t>(j)] = v;
    }
  }
}

// Runs the blocks on the workers (core's ticket runner: progress, the hook
// and abort on the calling thread); false when AbortMathProc stopped the run.
bool SquareThreaded(const TDouble2DArray& a, TDouble2DArray& res, const TBlocks& blocks,
                    double norm, int32_t nThreads) {
  return RunTicketsOnWorkers(blocks.Count(), nThreads, [&]() -> TTicketWork {
    // Each worker's own scratch, shared by its tickets.
    struct TScratch {
      std::vector<const double*> src;
      std::vector<double*> dst;
      matrix_detail::TGemmBuffers buffers;
    };
    auto scratch = std::make_shared<TScratch>();
    return [&a, &res, &blocks, norm, scratch](int32_t ticket) -> int64_t {
      const int32_t b = blocks.OfTicket(ticket);
      SquareBlock(a, res, blocks, b, norm, scratch->src, scratch->dst, scratch->buffers);
      return blocks.Width(b);
    };
  });
}

}  // namespace

bool TMatrix::Square(TMatrix* MatRes, double Norm) const {
  return Square(MatRes, Norm, std::max(1, ProcessorCount() - 1));
}

bool TMatrix::Square(TMatrix* MatRes, double Norm, int32_t NThreads) const {
  if (MatRes == nullptr || Norm == 0.0 || std::isnan(Norm)) return false;
  // NaN or infinity would spread through whole rows and columns of the
  // result; refused before any work.
  if (!matrix_detail::AllFinite(Mat)) return false;
  // Computed apart from MatRes, so MatRes may be this matrix.
  TDouble2DArray res = NewStorage(FNCol, FNCol);
  const TBlocks blocks(FNCol, FNRow);
  // No more threads than blocks of columns.
  const int32_t nt = std::clamp(NThreads, 1, std::max(1, blocks.Count()));
  bool ok = true;
  try {
    if (nt == 1) {
      std::vector<const double*> src;
      std::vector<double*> dst;
      matrix_detail::TGemmBuffers buffers;
      for (int32_t ticket = 0; ticket < blocks.Count(); ++ticket) {
        if (AbortMathProc.load()) {
          ok = false;
          break;
        }
        const int32_t b = blocks.OfTicket(ticket);
        for (int32_t h = 0; h < blocks.Width(b); ++h) ReportProgress();
        SquareBlock(Mat, res, blocks, b, Norm, src, dst, buffers);
      }
    } else {
      ok = SquareThreaded(Mat, res, blocks, Norm, nt);
    }
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  MatRes->ReplaceData(std::move(res));
  return ok;
}

}  // namespace zel
