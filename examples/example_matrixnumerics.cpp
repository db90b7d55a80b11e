// Matrix numerics: the determinant, an LU and a Cholesky decomposition, the
// inverse, the spectral norm and the cross-product matrix of small matrices.
#include <cstdio>
#include <memory>

#include "num/matrix/zel_matrix.hpp"

namespace {

void Print(const char* title, const zel::TMatrix& m) {
  std::printf("%s (%d columns x %d rows)\n", title, m.GetNrOfColumns(), m.GetNrOfRows());
  for (int32_t r = 1; r <= m.GetNrOfRows(); ++r) {
    for (int32_t c = 1; c <= m.GetNrOfColumns(); ++c) std::printf(" %9.4f", m.GetVal(c, r));
    std::printf("\n");
  }
}

}  // namespace

int main() {
  using namespace zel;

  // A symmetric positive definite matrix, given column by column.
  auto a = std::make_unique<TMatrix>(nullptr);
  a->Resize(3, 3);
  a->CopyFromArray(TDouble2DArray{{4, 2, 0.6}, {2, 5, 1}, {0.6, 1, 3}}, 0, 0, 0, 0, 1, 1);
  Print("A", *a);
  std::printf("det A = %.6f\n", a->Determinant());
  std::printf("spectral norm of A = %.6f\n", a->Norm(TNormType::ntSpectral));

  auto l = std::make_unique<TMatrix>(nullptr);
  auto u = std::make_unique<TMatrix>(nullptr);
  if (a->LUdecomposition(l.get(), u.get())) {
    Print("L of A = L U", *l);
    Print("U of A = L U", *u);
  }

  auto inv = std::make_unique<TMatrix>(nullptr);
  inv->Clone(a.get());
  if (inv->Invert()) {
    Print("inverse of A", *inv);
    std::printf("spectral norm of the inverse = %.6f (1 / smallest singular value of A)\n",
                inv->Norm(TNormType::ntSpectral));
  }

  // The Cholesky factor; A keeps its lower half and receives L^T above.
  auto chol = std::make_unique<TMatrix>(nullptr);
  if (a->CholeskyDecomp(chol.get())) Print("Cholesky factor L (A = L L^T)", *chol);

  // Cross products of a 4 x 2 data matrix with two worker threads.
  auto x = std::make_unique<TMatrix>(nullptr);
  x->Resize(2, 4);
  x->CopyFromArray(TDouble2DArray{{1, 2, 3, 4}, {2, 1, 0, -1}}, 0, 0, 0, 0, 1, 1);
  auto xtx = std::make_unique<TMatrix>(nullptr);
  if (x->Square(xtx.get(), 4.0, 2)) Print("X^T X / 4", *xtx);
  return 0;
}
