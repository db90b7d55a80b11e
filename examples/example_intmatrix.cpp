// Integer matrices in a minute: a small label image, counts over it, its
// sparse form, and a sparse matrix of a few entries.
#include <cstdio>
#include <memory>

#include "num/matrix/zel_matrix.hpp"

namespace {

void Print(const char* title, const zel::TIntMatrix& m) {
  std::printf("%s (%d columns x %d rows)\n", title, m.GetNrOfColumns(), m.GetNrOfRows());
  for (int32_t r = 1; r <= m.GetNrOfRows(); ++r) {
    for (int32_t c = 1; c <= m.GetNrOfColumns(); ++c) std::printf(" %2d", m.GetVal(c, r));
    std::printf("\n");
  }
}

}  // namespace

int main() {
  using namespace zel;

  // A 7 x 5 label image: two regions (labels 1 and 2) on background 0.
  // Elements are addressed (column, row) from 1.
  auto labels = std::make_unique<TIntMatrix>(nullptr);
  labels->SetName("labels");
  labels->Resize(7, 5);
  labels->Fill(2, 3, 2, 4, 1);  // columns 2..3, rows 2..4
  labels->Fill(5, 6, 3, 4, 2);
  Print("labels", *labels);

  // Counts: pixels per label, and the even labels (background included).
  for (int32_t label = 0; label <= 2; ++label)
    std::printf("label %d: %d pixels\n", label, labels->CountValues(0, 0, 0, 0, label, label));
  std::printf("even labels: %d pixels\n", labels->CountMaskedZeros(0, 0, 0, 0, 1));

  // The sparse form keeps only the labelled pixels; the size stays 7 x 5,
  // and the way back restores the image exactly.
  labels->ArrayToSparse(16);
  std::printf("sparse: %lld entries for %d x %d cells\n",
              static_cast<long long>(labels->GetSparseNumElem()), labels->GetNrOfColumns(),
              labels->GetNrOfRows());
  labels->SparseToArray();
  std::printf("back to dense: %d x %d, checksum %s\n", labels->GetNrOfColumns(),
              labels->GetNrOfRows(), labels->CRCofData().c_str());

  // A sparse matrix grows with the highest index written; reads of cells
  // never written give 0.
  auto sparse = std::make_unique<TIntMatrix>(nullptr, 4);
  sparse->SetVal(1000, 20, 5);
  sparse->SetVal(3, 1, -1);
  sparse->SetVal(3, 7, 8);
  std::printf("sparse matrix %d x %d with %lld entries:\n", sparse->GetNrOfColumns(),
              sparse->GetNrOfRows(), static_cast<long long>(sparse->GetSparseNumElem()));
  for (const TSpMatElemInt& e : sparse->GetSparseEntries())
    std::printf("  (%d, %d) = %d\n", e.colidx, e.rowidx, e.value);
  std::printf("(999, 20) reads %d\n", sparse->GetVal(999, 20));
  return 0;
}
