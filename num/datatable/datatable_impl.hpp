// Helpers shared by the data table's .cpp files. Not part of the interface:
// include num/datatable/zel_datatable.hpp instead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "num/datatable/zel_datatable.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// Bulk operations collect the matrix's per-cell notifications and fire
// OnChange once at their end. Finish() fires; the destructor only closes
// (an operation left by an exception fires nothing).
// ---------------------------------------------------------------------------

class TDataTable::TChangeSuppressor {
 public:
  explicit TChangeSuppressor(TDataTable& T) : FT(T) { ++FT.FSuppress; }
  ~TChangeSuppressor() {
    if (!FDone) --FT.FSuppress;
  }
  TChangeSuppressor(const TChangeSuppressor&) = delete;
  TChangeSuppressor& operator=(const TChangeSuppressor&) = delete;
  // Fires the collected OnChange once; with Force also when nothing was
  // collected (the operation moved values itself).
  void Finish(bool Force = false) {
    if (FDone) return;
    FDone = true;
    --FT.FSuppress;
    if (FT.FSuppress > 0) {
      FT.FPendingChange = FT.FPendingChange || Force;
      return;
    }
    const bool fire = FT.FPendingChange || Force;
    FT.FPendingChange = false;
    if (fire && FT.OnChange) FT.OnChange(&FT);
  }

 private:
  TDataTable& FT;
  bool FDone = false;
};

// Everything the table keeps per row and per column, with the values: the
// target of every structural change, built apart and swapped in.
struct TDataTable::TLayout {
  TDouble2DArray Vals;
  std::vector<std::vector<uint8_t>> States;
  std::vector<std::string> ColNames, RowNames;
  TIntArray ColAtt, RowAtt;
  std::vector<TVTypeSpec> Types;
  bool HasVals = false;
};

}  // namespace zel
