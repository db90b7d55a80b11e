// Inner loops of the singular value decomposition (matrix_svd.cpp), the
// deferred rotations of its QR sweeps, and a form of it with a chosen
// instruction set and block sizes, for the tests. Not part of the
// interface: include num/matrix/zel_matrix.hpp instead.
//
// Every kernel exists as plain C++, SSE2 and AVX2 (chosen at run time; only
// "avx2" is enabled, never "fma", and the library builds with
// -ffp-contract=off) and gives the same bits on each: each element sees a
// separate multiply and add in a fixed order, and Dot fixes its partial
// sums independently of the register width.
#pragma once

#include <cstdint>
#include <vector>

#include "num/matrix/zel_matrix.hpp"

namespace zel::matrix_detail {

enum class TSvdPath : int32_t {
  spAuto = 0,    // AVX2 when the processor has it, SSE2 otherwise
  spScalar = 1,  // plain loops (the only one off x86)
  spSse2 = 2,
  spAvx2 = 3  // falls back to SSE2 without AVX2
};

struct TSvdKernels {
  // Sum of x[k] y[k], k < n: eight partial sums p0..p7 over the whole
  // blocks of eight (p_q takes k = q mod 8), combined as
  // ((p0 + p4) + (p2 + p6)) + ((p1 + p5) + (p3 + p7)); the remaining terms
  // are then added one by one (so below 8 terms it is the plain sum).
  double (*Dot)(const double* x, const double* y, int64_t n);
  // y[k] += f x[k], k < n.
  void (*Axpy)(double f, const double* x, double* y, int64_t n);
  // The plane rotations t = 0 .. count - 1, in turn, on the column pairs
  // cols[t], cols[t + 1] over rows 0 .. rows - 1: (x, y) becomes
  // (x c[t] + y s[t], y c[t] - x s[t]). Runs over blocks of rows with the
  // running column in registers, so each element is loaded and stored once.
  void (*RotateSeq)(double* const* cols, int64_t rows, int64_t count, const double* c,
                    const double* s);
  // Householder update of rows r0 .. r1 - 1 of the columns cols[0 .. count):
  // per row r, t = Sum cols[k][r] u[k] (from 0, in increasing k), then
  // cols[k][r] += t e[k]. Works on blocks of rows that stay in cache.
  void (*ReflectRows)(double* const* cols, int64_t count, int64_t r0, int64_t r1, const double* u,
                      const double* e);
};

// The kernels of a path (spAvx2 without AVX2 gives SSE2, any vector path
// off x86 the plain one).
const TSvdKernels& SvdKernels(TSvdPath path);

// Sizes of the blocked arithmetic of the decomposition without hooks; 0
// takes the default. The tests make them tiny so that every batch and
// block edge is crossed.
struct TSvdBlocking {
  int32_t RowBlock = 0;      // rows per block of a flush
  int64_t MaxRotations = 0;  // rotations kept before a flush
  int32_t Reflectors = 0;    // reflectors per block of an accumulation
  // Row reflectors of the bidiagonal reduction: applied at once by
  // ReflectRows (-1), in the pass of the next column reflector (1), or at
  // once while the trailing matrix fits in cache and in that pass beyond (0).
  int32_t DeferRows = 0;
};

// What a block of rows, or a block of reflectors, may take of the
// second-level cache, which every core of our targets has at 512 KiB or
// more.
constexpr int64_t kSvdCacheBytes = 256 * 1024;

// Plane rotations and sign changes on the columns of one matrix, kept in
// order and applied later in one pass: a block of rows at a time goes
// through every kept operation while it stays in cache. Rows are
// independent under column operations, so each element sees the same
// operations in the same order as when they are applied one by one over
// whole columns: the result is the same bit for bit.
class TDeferredRotations {
 public:
  TDeferredRotations(double* const* cols, int32_t rows, int32_t ncols, const TSvdKernels& kernels,
                     const TSvdBlocking& blocking);
  // Keeps the sequence of count rotations on the column pairs (first + t,
  // first + t + 1), t = 0 .. count - 1, as RotateSeq applies it; returns
  // where the caller writes c[0 .. count) and, count elements further on,
  // s[0 .. count) before the next call.
  double* AddSweep(int32_t first, int32_t count);
  // (x, y) of columns p, q becomes (x c + y s, y c - x s).
  void AddRotation(int32_t p, int32_t q, double c, double s);
  // Column col becomes its negative.
  void AddNegation(int32_t col);
  // Applies everything kept and forgets it.
  void Flush();

 private:
  enum class TKind : int32_t { kSweep, kPair, kNegate };
  struct TOp {
    TKind Kind;
    int32_t P;    // first column
    int32_t Q;    // kSweep: rotation count; kPair: second column
    int64_t Off;  // c and s in FBuf
  };
  double* const* FCols;
  int32_t FRows;
  int32_t FNCols;
  const TSvdKernels& FK;
  int32_t FRowBlock;
  int64_t FCapacity;  // rotations in FBuf
  int64_t FUsed = 0;
  std::vector<TOp> FOps;
  std::vector<double> FBuf;
  std::vector<double*> FShifted;  // FCols moved down to the current block
  void Reserve(int64_t count);
};

// SVDecompose (zel_matrix.hpp) with the kernels of the given path and, for
// the tests, the given sizes of the deferred rotations.
bool SVDecomposeOn(TSvdPath path, int32_t m, int32_t n, double* const* a, double* w,
                   double* const* v, const TSvdHooks* hooks, const TSvdBlocking& blocking = {});

}  // namespace zel::matrix_detail
