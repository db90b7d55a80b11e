// Helpers shared by the data table's .cpp files. Not part of the interface:
// include num/datatable/zel_datatable.hpp instead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_streams.hpp"
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

// ---------------------------------------------------------------------------
// The file routines: what the formats share.
// ---------------------------------------------------------------------------

struct TDataTable::TFiles {
  using TIndexMap = TDataTable::TIndexMap;

  // A layout of nc x nr cells as a new table has them: default names,
  // attributes 0, stInterval columns, values 0, states 0. Throws
  // std::bad_alloc (or std::length_error) when it cannot be had.
  static TLayout NewLayout(int32_t nc, int32_t nr);
  // The current table as a layout (values included), for readers that
  // write a block into it.
  static TLayout CurrentLayout(const TDataTable& T);
  // The rows and columns Cols x Rows (1-based, in that order) as a layout.
  static TLayout SubLayout(const TDataTable& T, const TIndexMap& Cols, const TIndexMap& Rows);
  // Puts a completely read table in place and fires the events of a load.
  static void Take(TDataTable& T, TLayout& L, const std::string& Comment);
  // Fires OnExportText after a successful write.
  static void Exported(TDataTable& T, const std::string& Text);

  // Read access for the writers.
  static const std::string& Comment(const TDataTable& T) { return T.FComment; }
  static const std::vector<std::string>& ColNames(const TDataTable& T) { return T.FColName; }
  static const std::vector<std::string>& RowNames(const TDataTable& T) { return T.FRowName; }
  static const TIntArray& ColAtt(const TDataTable& T) { return T.FColAtt; }
  static const TIntArray& RowAtt(const TDataTable& T) { return T.FRowAtt; }
  static const std::vector<TVTypeSpec>& Types(const TDataTable& T) { return T.FVType; }
  static const std::vector<std::vector<uint8_t>>& States(const TDataTable& T) { return T.FCState; }
  static double Value(const TDataTable& T, int32_t c, int32_t r) { return T.Val(c, r); }

  // The texts of the writers.
  static std::string XmlText(const TDataTable& T, bool CreateHeader, int32_t Precision,
                             const std::string& DataID);
  static std::string AscText(const TDataTable& T, int32_t Precision, const TStr2DArray* CustData);
  static std::string CsvText(const TDataTable& T, int32_t Precision, char Delimiter,
                             bool ColHeaders, bool RowHeaders, bool RowAttributes,
                             bool WithComment);

  // The XML reader over a source of tags (datatable_xml.cpp).
  struct TXmlSource;
  static bool ReadXml(TDataTable& T, TXmlSource& Src, const std::string& DataID);

  // The ASC reader over Text: with Whole the table is replaced (PosX, PosY
  // and ReplaceIDs unused), else the block is read in at PosX, PosY.
  // Consumed receives the bytes read on success.
  static int32_t ReadAsc(TDataTable& T, std::string_view Text, size_t& Consumed,
                         TStr2DArray* CustData, bool Whole, int32_t PosX, int32_t PosY,
                         bool ReplaceIDs);
  static int32_t ReadAscStream(TDataTable& T, TStream& S, bool Whole, int32_t PosX, int32_t PosY,
                               bool ReplaceIDs);
  static int32_t ReadAscClipboard(TDataTable& T, TClipboard& C, bool Whole, int32_t PosX,
                                  int32_t PosY, bool ReplaceIDs);
};

// Appends X as the writers write values: Precision significant digits
// (1..17), or the shortest exact text for Precision < 1; "nan", "inf",
// "-inf" for the non-finite values.
void AppendNumber(std::string& Out, double X, int32_t Precision);

// The whole of Text into a new (or emptied) file; false when it cannot be
// created or written completely.
bool WriteTextFile(const std::string& FName, std::string_view Text);
// Text at the stream's position; false when not all was written (a file
// stream is flushed and checked).
bool WriteTextStream(TStream& S, std::string_view Text);

}  // namespace zel
